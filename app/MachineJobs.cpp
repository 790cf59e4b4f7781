#include "MachineJobs.h"

#include "Dialogs.h"
#include "FileBytes.h"
#include "ImageImport.h"
#include "MachineFolder.h"
#include "MachineImport.h"
#include "MachinePaths.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "Snapshots.h"
#include "StartupPatch.h"

#include <QCoreApplication>

#include <algorithm>

namespace fs = std::filesystem;

namespace kv {

namespace {

using Kind = MachineJob::Kind;

void requireMachineFolder(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec) || !fs::is_regular_file(dir / "registry.reg", ec))
        throw ImportError(dir.string() + " is not a machine folder: it has no registry.reg");
}

std::string readRegistry(const fs::path& dir) {
    auto bytes = readIfPresent(dir / "registry.reg");
    if (!bytes)
        throw ImportError((dir / "registry.reg").string() + " cannot be read");
    return std::move(*bytes);
}

std::vector<fs::path> changeableFiles(const fs::path& dir) {
    const MachineFolder machine(dir);
    auto store = RegistryFileStore::open(machine.registryFile());
    return filesKavendelMayChange(*store, machine);
}

void listSnapshots(const fs::path& dir, std::ostream& out) {
    const Snapshots snapshots(dir);
    const RegistryDocument now = RegistryDocument::fromBytes(readRegistry(dir));
    out << "id\ttime (UTC)\t\tdifferences from now\n";
    for (const SnapshotInfo& info : snapshots.list()) {
        const RegistryDocument then = RegistryDocument::fromBytes(snapshots.registry(info.id));
        const DiffCount count = countDifferences(then.tree(), now.tree());
        out << info.id << '\t' << info.time << '\t' << count.keys << " keys, " << count.values << " values\n";
    }
}

void exportChanges(const MachineJob& job, const fs::path& dir, std::ostream& out) {
    const Snapshots snapshots(dir);
    std::uint64_t from = 0;
    if (job.id) {
        from = snapshots.parseId(*job.id);
    } else {
        const auto kept = snapshots.list();
        if (kept.empty())
            throw SnapshotError("there is no snapshot of " + dir.string() + " yet: take one with --snapshot");
        from = kept.front().id;
    }
    const std::string now = readRegistry(dir);
    const std::string patch = changesPatch(snapshots.registry(from), now);
    if (job.applyAtNextStart) {
        const MachineFolder machine(dir);
        stagePatchForNextStart(
            RegistryDocument::parse(now).tree(), [&](std::string_view path) { return machine.resolve(path); },
            patch);
    }
    out << patch;
}

void writeImage(const fs::path& dir, std::ostream& out) {
    const auto moved = image::writeBackToImage(dir);
    if (!moved) {
        out << "nothing to write: the machine is as it was imported\n";
        return;
    }
    out << "wrote the changes into the disk image: " << moved->bytesRead << " bytes read, "
        << moved->bytesWritten << " bytes written\n";
}

void doJob(const MachineJob& job, const fs::path& dir, std::ostream& out, std::ostream& err) {
    if (job.kind == Kind::ImportImage) {
        image::importImage(dir, *job.image, job.partition, err);
        out << "created the machine folder " << dir.string() << " from " << job.image->string() << '\n';
        return;
    }
    if (job.kind == Kind::Import) {
        if (job.importFiles.size() == 1)
            importRegistryExport(dir, job.importFiles[0], job.driveC);
        else
            importHives(dir, job.importFiles[0], job.importFiles[1], job.driveC);
        out << "created the machine folder " << dir.string() << '\n';
        return;
    }
    requireMachineFolder(dir);
    image::recoverImageWrite(dir);
    Snapshots snapshots(dir);
    switch (job.kind) {
    case Kind::Snapshot:
        out << snapshots.take(changeableFiles(dir)) << '\n';
        break;
    case Kind::ListSnapshots:
        listSnapshots(dir, out);
        break;
    case Kind::Restore: {
        const std::uint64_t id = snapshots.parseId(*job.id);
        const std::uint64_t before = snapshots.restore(id);
        out << "restored snapshot " << id << "; what it replaced is snapshot " << before << '\n';
        break;
    }
    case Kind::ExportChanges:
        exportChanges(job, dir, out);
        break;
    case Kind::WriteImage:
        writeImage(dir, out);
        break;
    case Kind::Import:
    case Kind::ImportImage:
    case Kind::None:
        break;
    }
}

} // namespace

QString checkMachineJob(const MachineJob& job, bool machineGiven) {
    if (job.kind == Kind::Import && !machineGiven)
        return QStringLiteral("--import needs --machine DIR, the new machine folder");
    if (job.driveC && job.kind != Kind::Import)
        return QStringLiteral("--drive-c goes with --import");
    if (job.applyAtNextStart && job.kind != Kind::ExportChanges)
        return QStringLiteral("--apply-at-next-start goes with --export-changes");
    if (job.kind == Kind::ImportImage && !machineGiven)
        return QStringLiteral("--import-image needs --machine DIR, the new machine folder");
    if (job.partition && job.kind != Kind::ImportImage)
        return QStringLiteral("--partition goes with --import-image");
    return {};
}

int runMachineJob(const MachineJob& job, const fs::path& machineDir, std::ostream& out, std::ostream& err) {
    try {
        doJob(job, machineDir, out, err);
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "kavendel: " << e.what() << '\n';
        return job.kind == Kind::ImportImage || job.kind == Kind::WriteImage ? 1 : 2;
    }
}

std::optional<fs::path> machineOfImage(const fs::path& image, const fs::path& defaultMachine,
                                       std::ostream& err) {
    try {
        return image::machineForImage(image, defaultMachine.parent_path() / "images", err);
    } catch (const std::exception& e) {
        err << "kavendel: " << e.what() << '\n';
        return std::nullopt;
    }
}

int offerImageWriteBack(Dialogs& dialogs, const fs::path& machineDir) {
    auto text = [](const char* source) {
        return QCoreApplication::translate("ImageWriteBack", source).toStdString();
    };
    try {
        if (!image::hasUnwrittenChanges(machineDir) ||
            !dialogs.confirm(
                ApplicationTitle,
                text(QT_TRANSLATE_NOOP("ImageWriteBack", "変更をディスクイメージに今書き込みますか？\n"
                                                         "キャンセルすると変更はマシンフォルダに残り、"
                                                         "後で --write-image で書き込めます。"))))
            return 0;
        image::writeBackToImage(machineDir);
        dialogs.message(ApplicationTitle,
                        text(QT_TRANSLATE_NOOP("ImageWriteBack", "変更をディスクイメージに書き込みました。")),
                        Dialogs::Icon::Information);
        return 0;
    } catch (const std::exception& e) {
        dialogs.message(ApplicationTitle, errorBoxText(e.what()), Dialogs::Icon::Error);
        return 1;
    }
}

std::vector<fs::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const std::string& path : machinePaths(store).changeable)
        if (const auto host = machine.resolve(path); host && fs::is_regular_file(*host, ec))
            files.push_back(*host);
    return files;
}

} // namespace kv
