#include "MachineJobs.h"

#include "FileBytes.h"
#include "GameTable.h"
#include "HiveWriteBack.h"
#include "MachineFolder.h"
#include "MachineImport.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "Snapshots.h"
#include "StartupPatch.h"
#include "Uninstall.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace kv {

namespace {

using Kind = MachineJob::Kind;

// A text value, or nullopt when it is missing or holds something else.
std::optional<std::string> textValue(const TSettingsAccessor& reg, std::string_view name) {
    try {
        if (reg.ValuePresent(name))
            return reg.LoadText(name);
    } catch (const StoreError&) {
    }
    return std::nullopt;
}

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

void doJob(const MachineJob& job, const fs::path& dir, std::ostream& out) {
    if (job.kind == Kind::Import) {
        if (job.importFiles.size() == 1)
            importRegistryExport(dir, job.importFiles[0], job.driveC);
        else
            importHives(dir, job.importFiles[0], job.importFiles[1], job.driveC);
        out << "created the machine folder " << dir.string() << '\n';
        return;
    }
    requireMachineFolder(dir);
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
    case Kind::WriteHives:
        out << writeMachineHives(dir, job.hiveFiles.at(0), job.hiveFiles.at(1)) << '\n';
        break;
    case Kind::Import:
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
    if (job.kind == Kind::WriteHives && job.hiveFiles.size() != 2)
        return QStringLiteral("--write-hives needs two files, SYSTEM.DAT and USER.DAT");
    if (job.applyAtNextStart && job.kind != Kind::ExportChanges)
        return QStringLiteral("--apply-at-next-start goes with --export-changes");
    return {};
}

int runMachineJob(const MachineJob& job, const fs::path& machineDir, std::ostream& out, std::ostream& err) {
    try {
        doJob(job, machineDir, out);
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "kavendel: " << e.what() << '\n';
        return job.kind == Kind::WriteHives ? 1 : 2;
    }
}

std::vector<fs::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine) {
    std::vector<std::string> windowsPaths;
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    for (const GameRow& game : GameTable)
        if (reg.OpenPathForReading(game.gameKey))
            if (const auto installDir = textValue(reg, game.installDirValue))
                windowsPaths.push_back(*installDir + std::string(game.configFile));
    if (reg.OpenPathForReading("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"))
        if (const auto systemRoot = textValue(reg, "SystemRoot"))
            for (std::string_view inf : DriverInfFiles)
                windowsPaths.push_back(*systemRoot + std::string(inf));
    std::vector<fs::path> files;
    std::error_code ec;
    for (const std::string& path : windowsPaths)
        if (const auto host = machine.resolve(path); host && fs::is_regular_file(*host, ec))
            files.push_back(*host);
    return files;
}

} // namespace kv
