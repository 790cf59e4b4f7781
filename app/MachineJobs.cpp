#include "MachineJobs.h"

#include "ChangeDescription.h"
#include "Console.h"
#include "Cp932.h"
#include "Dialogs.h"
#include "Failure.h"
#include "FileBytes.h"
#include "Guard.h"
#include "HiveReader.h"
#include "HiveWriteBack.h"
#include "ImageImport.h"
#include "ImageRecord.h"
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
#include <QFile>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace kv {

namespace {

using Kind = MachineJob::Kind;

// An error of the program's own whose message, marked in the context "CommandLine", is
// translated when it is shown.
[[noreturn]] void fail(const char* source, const fs::path& file) {
    throw Failure(Message{"", "CommandLine", source, {file.string()}});
}

void requireMachineFolder(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec) || !fs::is_regular_file(MachineFolder::registryFileIn(dir), ec))
        fail(QT_TRANSLATE_NOOP("CommandLine", "%1 はマシンフォルダではありません: registry.reg がありません "
                                              "(新しいマシンフォルダは --create で作ります)"),
             dir);
}

std::string readRegistry(const fs::path& dir) {
    auto bytes = readIfPresent(MachineFolder::registryFileIn(dir));
    if (!bytes)
        fail(QT_TRANSLATE_NOOP("CommandLine", "%1 を読み込めません"), MachineFolder::registryFileIn(dir));
    return std::move(*bytes);
}

std::vector<fs::path> changeableFiles(const fs::path& dir) {
    const MachineFolder machine(dir);
    auto store = RegistryFileStore::open(machine.registryFile());
    return filesKavendelMayChange(*store, machine);
}

// What a restore puts back beyond the machine folder: files in the disk image and Windows'
// registry files on the host, planned together so that either refusal leaves both as they are.
OutsideRestore planOutsideRestore(const fs::path& dir, const std::vector<OutsideFile>& outside) {
    OutsideRestore image = planImageRestore(dir, outside);
    OutsideRestore hives = planHiveRestore(outside);
    image.replaced.insert(image.replaced.end(), hives.replaced.begin(), hives.replaced.end());
    image.putBack = [image = std::move(image.putBack), hives = std::move(hives.putBack)] {
        if (image)
            image();
        if (hives)
            hives();
    };
    return image;
}

// Header and rows have the same columns, tab-separated: id, time, how it was taken, and what
// changed since the snapshot before, which is kept with each snapshot so no registry is read.
void listSnapshots(const fs::path& dir, const Console& console) {
    const ConsoleTexts& texts = console.texts();
    // The listing reads no registry, but one that is not REGEDIT4 is said so, as the window does.
    std::string start(4096, '\0');
    const fs::path registryFile = MachineFolder::registryFileIn(dir);
    std::ifstream registry(registryFile, std::ios::binary);
    start.resize(
        static_cast<std::size_t>(registry.read(start.data(), std::streamsize(start.size())).gcount()));
    RegistryDocument::checkOpening(start, registryFile.string());
    Snapshots snapshots(dir);
    console.report(
        texts.text(QT_TRANSLATE_NOOP("CommandLine", "ID\t時刻 (UTC)\t種類\t前のスナップショットからの変更")));
    for (const SnapshotInfo& info : snapshots.listWithChanges()) {
        QString kind = info.kind == SnapshotKind::Automatic
                           ? texts.text(QT_TRANSLATE_NOOP("CommandLine", "自動"))
                           : texts.text(QT_TRANSLATE_NOOP("CommandLine", "手動"));
        // What a restore puts back beyond the machine folder.
        if (info.holdsImageFiles)
            kind = texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1、ディスクイメージのファイルも"), {kind});
        if (info.holdsHiveFiles)
            kind = texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1、Windows のレジストリファイルも"), {kind});
        QString changes;
        if (!info.changes)
            changes = texts.text(QT_TRANSLATE_NOOP("CommandLine", "不明"));
        else if (!info.previous)
            changes = texts.text(QT_TRANSLATE_NOOP("CommandLine", "最初のスナップショット"));
        else
            changes =
                texts.text(QT_TRANSLATE_NOOP("CommandLine", "スナップショット %3 から %1、%2"),
                           {texts.count(QT_TRANSLATE_N_NOOP("CommandLine", "キー %n 個"), info.changes->keys),
                            texts.count(QT_TRANSLATE_N_NOOP("CommandLine", "値 %n 個"), info.changes->values),
                            QString::number(info.previous)});
        console.report(QString::number(info.id) + u'\t' + QString::fromStdString(info.time) + u'\t' + kind +
                       u'\t' + changes);
    }
}

// The snapshot an export starts from: the one named, else the oldest kept.
std::uint64_t exportBase(const MachineJob& job, const fs::path& dir, const Snapshots& snapshots) {
    if (job.id)
        return snapshots.parseId(*job.id);
    const auto kept = snapshots.list();
    if (kept.empty())
        fail(QT_TRANSLATE_NOOP("CommandLine",
                               "%1 にはまだスナップショットがありません。--snapshot で取ってください"),
             dir);
    return kept.front().id;
}

bool holdsChanges(const std::string& patch) {
    return patch.find("\r\n[") != std::string::npos;
}

WindowsPathResolver resolverOf(const MachineFolder& machine) {
    return [&machine](std::string_view path) { return machine.resolve(path); };
}

void exportChanges(const MachineJob& job, const fs::path& dir, const Console& console) {
    Snapshots snapshots(dir);
    const std::uint64_t from = exportBase(job, dir, snapshots);
    const std::string now = readRegistry(dir);
    const std::string patch = changesPatch(snapshots.registry(from), now);
    if (!holdsChanges(patch)) {
        console.notice(console.texts().text(
            QT_TRANSLATE_NOOP("CommandLine", "スナップショット %1 からの変更はありません"),
            {QString::number(from)}));
    } else if (job.applyAtNextStart) {
        // Every kept snapshot records the two files as they were before, so that restoring
        // any of them takes the hand-over back too.
        const auto kept = snapshots.list();
        const MachineFolder machine(dir);
        QStringList written;
        for (const HandOverFile& file : stagePatchForNextStart(
                 RegistryDocument::parse(now).tree(), resolverOf(machine), patch, [&](const fs::path& file) {
                     for (const SnapshotInfo& info : kept)
                         snapshots.addFile(info.id, file);
                 }))
            written << QString::fromStdString(cp932::toUtf8(file.windowsPath));
        console.notice(console.texts().text(
            QT_TRANSLATE_NOOP("CommandLine", "Windows が次の起動で変更を読み込むよう、%1 を書きました"),
            {written.join(QStringLiteral(", "))}));
    }
    console.output(patch);
}

// A value, key or file that Windows changed too, where the machine's change won.
void reportOverwritten(const std::string& what, const Console& console) {
    console.report(console.texts().text(
        QT_TRANSLATE_NOOP("CommandLine",
                          "%1 は Windows でも変わっていましたが、マシンの変更を書き込みました"),
        {QString::fromStdString(what)}));
}

void writeHives(const MachineJob& job, const fs::path& dir, const Console& console) {
    const ConsoleTexts& texts = console.texts();
    const HiveWriteReport report = writeMachineHives(dir, job.hiveFiles.at(0), job.hiveFiles.at(1));
    if (report.snapshot == 0)
        return console.report(texts.text(QT_TRANSLATE_NOOP(
            "CommandLine",
            "SYSTEM.DAT と USER.DAT はマシンの変更をすでに持っています: 何も書き込んでいません")));
    console.report(texts.text(
        QT_TRANSLATE_NOOP(
            "CommandLine",
            "%1 と %2 に %3 個の変更を書き込みました。元のファイルはスナップショット %4 にあります"),
        {QString::fromStdString(report.systemDat.string()), QString::fromStdString(report.userDat.string()),
         QString::number(report.changes), QString::number(report.snapshot)}));
    for (const Collision& collision : report.collisions)
        reportOverwritten(collisionText(collision), console);
}

// The taken files, keys and values of a write-back that Windows changed too, in UTF-8.
std::vector<std::string> overwrittenNames(const ImageWriteReport& written) {
    std::vector<std::string> names;
    for (const std::string& file : written.filesChangedInWindows)
        names.push_back(cp932::toUtf8(file));
    for (const Collision& collision : written.collisions)
        names.push_back(collisionText(collision));
    return names;
}

void writeImage(const fs::path& dir, const Console& console) {
    const ConsoleTexts& texts = console.texts();
    const ImageWriteReport written = writeBackToImage(dir);
    if (!written.moved)
        return console.report(texts.text(QT_TRANSLATE_NOOP(
            "CommandLine", "書き込むものはありません: イメージはマシンの変更をすでに持っています")));
    console.report(texts.text(
        QT_TRANSLATE_NOOP("CommandLine", "変更をディスクイメージに書き込みました: "
                                         "読み込み %1 バイト、書き込み %2 バイト"),
        {QString::number(written.moved->bytesRead), QString::number(written.moved->bytesWritten)}));
    for (const QString& line : describedFiles(written.plan.files, texts))
        console.report(line);
    for (const std::string& what : overwrittenNames(written))
        reportOverwritten(what, console);
}

// What --apply-at-next-start would hand to Windows: the changes since the export's snapshot, and
// the patch and batch files as they would be written.
WritePlan handOverPlan(const MachineJob& job, const fs::path& dir) {
    const Snapshots snapshots(dir);
    const std::string before = snapshots.registry(exportBase(job, dir, snapshots));
    const std::string now = readRegistry(dir);
    const std::string patch = changesPatch(before, now);
    if (!holdsChanges(patch))
        return {};
    const RegistryDocument present = RegistryDocument::parse(now);
    const MachineFolder machine(dir);
    WritePlan plan{plannedDifferences(RegistryDocument::parse(before).tree(), present.tree()), {}};
    for (const HandOverFile& file : patchFilesForNextStart(present.tree(), resolverOf(machine), patch))
        plan.files.push_back(
            {cp932::toUtf8(file.windowsPath), sizeOfBytes(readIfPresent(file.host)), file.bytes.size()});
    return plan;
}

// What --restore would put back: the registry's values, the machine folder's files, and the files
// a write-back replaced in the image or on the host.
WritePlan restorePlan(const MachineJob& job, const fs::path& dir) {
    const Snapshots snapshots(dir);
    const std::uint64_t id = snapshots.parseId(*job.id);
    const std::vector<OutsideFile> outside = snapshots.outsideFiles(id);
    WritePlan plan{plannedDifferences(RegistryDocument::parse(readRegistry(dir)).tree(),
                                      RegistryDocument::parse(snapshots.registry(id)).tree()),
                   snapshots.plannedRestore(id)};
    const std::vector<PlannedFile> more = plannedFiles(planOutsideRestore(dir, outside).replaced);
    plan.files.insert(plan.files.end(), more.begin(), more.end());
    return plan;
}

WritePlan plannedWrite(const MachineJob& job, const fs::path& dir) {
    switch (job.kind) {
    case Kind::WriteImage:
        return planImageWriteBack(dir).plan;
    case Kind::WriteHives:
        return planMachineHives(dir, job.hiveFiles.at(0), job.hiveFiles.at(1)).plan;
    case Kind::Restore:
        return restorePlan(job, dir);
    default:
        return handOverPlan(job, dir);
    }
}

// Says what the job would change, reading what it reads and writing nothing: no lock file, no
// snapshot, no journal, no baseline.
void dryRun(const MachineJob& job, const fs::path& dir, const Console& console) {
    const ConsoleTexts& texts = console.texts();
    requireMachineFolder(dir);
    if (hasUnfinishedImageWrite(dir))
        console.notice(texts.text(QT_TRANSLATE_NOOP(
            "CommandLine",
            "前の書き込みが終わっていません。--dry-run なしの実行はまずそれを終えるか取り消します。"
            "この計画はイメージを今のまま読んでいます")));
    const QStringList lines = describedPlan(plannedWrite(job, dir), texts);
    if (lines.isEmpty())
        console.report(texts.text(QT_TRANSLATE_NOOP("CommandLine", "変更はありません")));
    for (const QString& line : lines)
        console.report(line);
    console.notice(texts.text(QT_TRANSLATE_NOOP("CommandLine", "--dry-run: 何も書き込んでいません")));
}

void importImageJob(const MachineJob& job, const fs::path& dir, const Console& console) {
    importImage(dir, *job.image, job.partition, console.notes());
    console.report(console.texts().text(
        QT_TRANSLATE_NOOP("CommandLine", "%2 からマシンフォルダ %1 を作成しました"),
        {QString::fromStdString(dir.string()), QString::fromStdString(job.image->string())}));
}

void importMachine(const MachineJob& job, const fs::path& dir, const Console& console) {
    // Files that are no registry are refused as bad usage by the imports themselves.
    if (job.importFiles.size() == 1)
        importRegistryExport(dir, job.importFiles[0], job.driveC);
    else
        for (const Failure& broken : importHives(dir, job.importFiles[0], job.importFiles[1], job.driveC))
            console.notice(console.texts().text(broken));
    console.report(createdMachineText(dir, console.texts()));
}

void doJob(const MachineJob& job, const fs::path& dir, const Console& console) {
    if (job.kind == Kind::Import)
        return importMachine(job, dir, console);
    if (job.kind == Kind::ImportImage)
        return importImageJob(job, dir, console);
    if (job.dryRun)
        return dryRun(job, dir, console);
    requireMachineFolder(dir);
    recoverImageWrite(dir);
    Snapshots snapshots(dir);
    switch (job.kind) {
    case Kind::Snapshot:
        console.report(QString::number(snapshots.take(changeableFiles(dir))));
        break;
    case Kind::ListSnapshots:
        listSnapshots(dir, console);
        break;
    case Kind::Restore: {
        const std::uint64_t id = snapshots.parseId(*job.id);
        const std::vector<OutsideFile> outside = snapshots.outsideFiles(id);
        const std::uint64_t before = snapshots.restore(id, [&] { return planOutsideRestore(dir, outside); });
        console.report(console.texts().text(
            QT_TRANSLATE_NOOP("CommandLine",
                              "スナップショット %1 に戻しました。戻す前の状態はスナップショット %2 です"),
            {QString::number(id), QString::number(before)}));
        break;
    }
    case Kind::ExportChanges:
        exportChanges(job, dir, console);
        break;
    case Kind::WriteImage:
        writeImage(dir, console);
        break;
    case Kind::WriteHives:
        writeHives(job, dir, console);
        break;
    case Kind::Import:
    case Kind::ImportImage:
    case Kind::None:
        break;
    }
}

} // namespace

const char* checkMachineJob(const MachineJob& job, bool machineGiven) {
    if (job.kind == Kind::Import && !machineGiven)
        return QT_TRANSLATE_NOOP("CommandLine",
                                 "--import には --machine DIR (新しいマシンフォルダ) が必要です");
    if (job.driveC && job.kind != Kind::Import)
        return QT_TRANSLATE_NOOP("CommandLine", "--drive-c は --import と一緒に使います");
    if (job.kind == Kind::WriteHives && job.hiveFiles.size() != 2)
        return QT_TRANSLATE_NOOP("CommandLine",
                                 "--write-hives には SYSTEM.DAT と USER.DAT の 2 つのファイルが必要です");
    if (job.applyAtNextStart && job.kind != Kind::ExportChanges)
        return QT_TRANSLATE_NOOP("CommandLine", "--apply-at-next-start は --export-changes と一緒に使います");
    if (job.kind == Kind::ImportImage && !machineGiven)
        return QT_TRANSLATE_NOOP("CommandLine",
                                 "--import-image には --machine DIR (新しいマシンフォルダ) が必要です");
    if (job.partition && job.kind != Kind::ImportImage)
        return QT_TRANSLATE_NOOP("CommandLine", "--partition は --import-image と一緒に使います");
    if (job.dryRun && job.kind != Kind::WriteImage && job.kind != Kind::WriteHives &&
        job.kind != Kind::Restore && !job.applyAtNextStart)
        return QT_TRANSLATE_NOOP("CommandLine", "--dry-run は --write-image、--write-hives、--restore か "
                                                "--apply-at-next-start と一緒に使います");
    return nullptr;
}

QString createdMachineText(const fs::path& dir, const ConsoleTexts& texts) {
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "マシンフォルダ %1 を作成しました"),
                      {QString::fromStdString(dir.string())});
}

int runMachineJob(const MachineJob& job, const fs::path& machineDir, const Console& console) {
    try {
        doJob(job, machineDir, console);
        return 0;
    } catch (const std::exception& e) {
        // The command line was checked before: what fails now fails on files, whatever its kind.
        return console.error(console.texts().text(e), ExitFailure);
    }
}

fs::path imagesFolderBeside(const fs::path& defaultMachine) {
    return defaultMachine.parent_path() / "images";
}

fs::path imageMachineFolder(const fs::path& image, const fs::path& defaultMachine, const Notes& notes) {
    return machineForImage(image, imagesFolderBeside(defaultMachine), notes);
}

std::optional<fs::path> machineOfImage(const fs::path& image, const fs::path& defaultMachine,
                                       const Console& console) {
    try {
        return imageMachineFolder(image, defaultMachine, console.notes());
    } catch (const std::exception& e) {
        console.error(console.texts().text(e), ExitFailure);
        return std::nullopt;
    }
}

int offerImageWriteBack(Dialogs& dialogs, const fs::path& machineDir) {
    auto text = [](const char* source) {
        return QCoreApplication::translate("ImageWriteBack", source).toStdString();
    };
    try {
        if (!ImageRecord::load(machineDir) || !hasUnwrittenChanges(machineDir) ||
            !dialogs.confirm(
                ApplicationTitle,
                text(QT_TRANSLATE_NOOP("ImageWriteBack", "変更をディスクイメージに今書き込みますか？\n"
                                                         "キャンセルすると変更はマシンフォルダに残り、"
                                                         "後で --write-image で書き込めます。"))))
            return 0;
        std::string shown =
            text(QT_TRANSLATE_NOOP("ImageWriteBack", "変更をディスクイメージに書き込みました。"));
        for (const std::string& what : overwrittenNames(writeBackToImage(machineDir)))
            shown += "\n" + QCoreApplication::translate(
                                "ImageWriteBack",
                                "%1 は Windows でも変わっていましたが、マシンの変更を書き込みました")
                                .arg(QString::fromStdString(what))
                                .toStdString();
        dialogs.message(ApplicationTitle, shown, Dialogs::Icon::Information);
        return 0;
    } catch (const std::exception& e) {
        showFailure(dialogs, e);
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
