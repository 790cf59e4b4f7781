// The write-back half of ImageImport.h: the changes since the import, checked against the image
// as it is now, put into it in one step.
#include "ImageImport.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "FatVolume.h"
#include "FileBytes.h"
#include "GameFiles.h"
#include "HiveReader.h"
#include "HiveWriteBack.h"
#include "ImageLock.h"
#include "ImageRecord.h"
#include "KeyTree.h"
#include "MachineFolder.h"
#include "MachineLock.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "RoundTripText.h"
#include "Snapshots.h"
#include "StartupPatch.h"
#include "WriteJournal.h"

namespace fs = std::filesystem;

namespace kv {

using image::checkWritable;
using image::FatEntry;
using image::FatVolume;
using image::ImageCalls;
using image::imageText;
using image::journalFile;
using image::KavendelImageLock;
using image::openVolume;
using image::recoverPendingWrite;
using image::TransferCounters;
using image::Volume;
using image::VolumeWrite;
using image::writeAtomically;

namespace {

// The file as the image holds it now, or nullopt when it is not there.
std::optional<Fingerprint> fingerprintInImage(FatVolume& fat, const RecordedFile& file) {
    const auto entry = fat.find(file.windowsPath);
    if (!entry)
        return std::nullopt;
    if (file.contents && entry->size != file.contents->size)
        return Fingerprint{entry->size, {}};
    try {
        return fingerprintOf(
            fat.read(*entry, file.role == RecordedFile::Role::Hive ? MaxHiveSize : GameFiles::MaxFileSize));
    } catch (const Failure& e) {
        if (!e.is(Fault::damagedFileSystem))
            throw;
        return Fingerprint{entry->size, {}}; // damaged since: it differs from what was taken
    }
}

// The first recorded file that the image no longer holds as recorded.
const RecordedFile* changedInImage(FatVolume& fat, const ImageRecord& record) {
    for (const RecordedFile& file : record.files)
        if (fingerprintInImage(fat, file) != file.contents)
            return &file;
    return nullptr;
}

// A file the write-back puts into the image, or deletes there (no bytes).
struct FileToWrite {
    std::string windowsPath;
    std::optional<std::string> bytes;
    std::uint8_t attributes = FatEntry::Archive; // for a file that is new to the image
};

RecordedFile* recorded(ImageRecord& record, std::string_view windowsPath) {
    const auto found = std::find_if(record.files.begin(), record.files.end(), [&](const RecordedFile& f) {
        return cp932::equalsIgnoreCase(f.windowsPath, windowsPath);
    });
    return found == record.files.end() ? nullptr : &*found;
}

// The registry as last imported or written back, and as the machine holds it now.
struct Registries {
    std::string baselineText;
    RegistryDocument baseline, machine;

    // Keys made empty, as the window makes its driver keys at start, are no change.
    std::vector<PatchStep> machineSteps;
    bool machineChanged;

    explicit Registries(const fs::path& dir)
        : baselineText(readWhole(MachineFolder::baselineIn(dir)))
        , baseline(RegistryDocument::parse(baselineText))
        , machine(registryToWriteBack(dir))
        , machineSteps(mergeOnto(baseline.tree(), machine.tree(), baseline.tree()).steps)
        , machineChanged(!machineSteps.empty()) {}
};

// The patch of the registry's changes since the baseline and the batch that applies it at the next
// start of Windows, each unless the image holds it as it would be written.
void registryFiles(const Registries& registries, FatVolume& fat, std::vector<FileToWrite>& out) {
    const std::string startup = startupFolderNamedIn(registries.machine.tree());
    const std::string batchPath =
        (startup.ends_with('\\') ? startup : startup + "\\") + std::string(StartupBatchName);
    const std::string patch = changesPatch(registries.baselineText, registries.machine.source().view());
    for (FileToWrite file :
         {FileToWrite{std::string(PatchWindowsPath), patch}, FileToWrite{batchPath, startupBatch(startup)}}) {
        const RecordedFile target{RecordedFile::Role::Target, file.windowsPath, {}};
        if (fingerprintInImage(fat, target) != fingerprintOf(*file.bytes))
            out.push_back(std::move(file));
    }
}

// Each taken file that drive_c now holds otherwise than the record has it, or no longer holds.
std::vector<FileToWrite> changedTakenFiles(const fs::path& dir, const ImageRecord& record) {
    std::vector<FileToWrite> out;
    const MachineFolder machine(dir);
    for (const RecordedFile& file : record.files) {
        if (file.role != RecordedFile::Role::Taken)
            continue;
        const auto host = machine.resolve(file.windowsPath);
        std::error_code ec;
        if (!host || !fs::is_regular_file(*host, ec)) {
            if (file.contents)
                out.push_back({file.windowsPath, std::nullopt});
            continue;
        }
        if (fs::file_size(*host, ec) > GameFiles::MaxFileSize)
            throw Failure(roundTripText(
                QT_TRANSLATE_NOOP("RoundTrip", "%1 は Kavendel が変更したファイルにしては大きすぎます"),
                {host->string()}));
        std::string bytes = readWhole(*host);
        if (file.contents != fingerprintOf(bytes))
            out.push_back({file.windowsPath, std::move(bytes)});
    }
    return out;
}

ImageRecord loadRecord(const fs::path& dir) {
    auto record = ImageRecord::load(dir);
    if (!record)
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 はディスクイメージから作られたフォルダ"
                                                         "ではありません: --import-image で作ってください"),
                          {dir.string()}));
    return std::move(*record);
}

// The file's bytes in the image, or nullopt when it is not there.
std::optional<std::string> bytesInImage(FatVolume& fat, std::string_view windowsPath) {
    const auto entry = fat.find(windowsPath);
    return entry ? std::optional(fat.read(*entry, MaxHiveSize)) : std::nullopt;
}

// Puts the files into the volume's cache, and into the record as the image will hold them; each
// file as it was goes to outside, for the snapshot.
void stage(FatVolume& fat, const std::vector<FileToWrite>& files, ImageRecord& record,
           std::vector<OutsideFile>& outside) {
    for (const FileToWrite& file : files) {
        const auto entry = fat.find(file.windowsPath);
        outside.push_back(
            {OutsideFile::Place::Image, file.windowsPath,
             entry ? std::optional(fat.read(*entry, MaxHiveSize)) : std::nullopt,
             file.bytes ? fingerprintOf(*file.bytes).text() : "",
             static_cast<std::uint8_t>(entry ? entry->attributes & FatEntry::FileAttributes : 0)});
        if (file.bytes)
            fat.create(file.windowsPath, *file.bytes, file.attributes);
        else if (entry)
            fat.remove(*entry);
        RecordedFile* known = recorded(record, file.windowsPath);
        if (!known)
            known =
                &record.files.emplace_back(RecordedFile{RecordedFile::Role::Target, file.windowsPath, {}});
        known->contents = file.bytes ? std::optional(fingerprintOf(*file.bytes)) : std::nullopt;
    }
}

// The record's entry for one of the two hives, by its file name.
RecordedFile* recordedHive(ImageRecord& record, std::string_view name) {
    for (RecordedFile& file : record.files)
        if (file.role == RecordedFile::Role::Hive && file.windowsPath.size() > name.size() &&
            file.windowsPath[file.windowsPath.size() - name.size() - 1] == '\\' &&
            cp932::equalsIgnoreCase(
                std::string_view(file.windowsPath).substr(file.windowsPath.size() - name.size()), name))
            return &file;
    return nullptr;
}

// Puts the machine's changes into the image's own SYSTEM.DAT and USER.DAT too, as they are now,
// so that Windows starts with them; the patch and batch stay for a Windows that refuses them and
// falls back to its backup. Keeps the files replaced in outside; returns what Windows changed
// too, where the machine's change won.
std::vector<Collision> stageHives(FatVolume& fat, const Registries& registries, ImageRecord& record,
                                  std::vector<OutsideFile>& outside) {
    RecordedFile* system = recordedHive(record, "SYSTEM.DAT");
    RecordedFile* user = recordedHive(record, "USER.DAT");
    if (!system || !user)
        return {};
    const auto systemEntry = fat.find(system->windowsPath);
    const auto userEntry = fat.find(user->windowsPath);
    if (!systemEntry || !userEntry)
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "イメージにレジストリファイル SYSTEM.DAT と "
                                                         "USER.DAT がもうありません: --import-image で"
                                                         "イメージをインポートし直してください")));
    const std::string systemDat = fat.read(*systemEntry, MaxHiveSize);
    const std::string userDat = fat.read(*userEntry, MaxHiveSize);
    WrittenHives hives;
    try {
        hives = hivesWithMachineChanges(registries.baseline.tree(), registries.machine.tree(), systemDat,
                                        userDat);
    } catch (const Failure& e) {
        throw e.within(roundTripText(QT_TRANSLATE_NOOP(
            "RoundTrip", "イメージのレジストリファイルにマシンのレジストリを書き込めません")));
    }
    // Only a file whose registry changed is rewritten: a change under HKEY_USERS leaves SYSTEM.DAT be.
    const auto replaceHive = [&](RecordedFile& file, const FatEntry& entry, const std::string& was,
                                 const std::string& now) {
        if (now == was)
            return;
        outside.push_back({OutsideFile::Place::Image, file.windowsPath, was, fingerprintOf(now).text()});
        fat.replace(entry, now);
        file.contents = fingerprintOf(now);
    };
    replaceHive(*system, *systemEntry, systemDat, hives.systemDat);
    replaceHive(*user, *userEntry, userDat, hives.userDat);
    return hives.collisions;
}

// Stages every change; the taken files that Windows changed too are named in the report, with
// the plan.
std::vector<OutsideFile> stageChanges(const fs::path& dir, FatVolume& fat, ImageRecord& record,
                                      const Registries& registries, ImageWriteReport& report) {
    std::vector<FileToWrite> files = changedTakenFiles(dir, record);
    for (const FileToWrite& file : files) {
        const RecordedFile* known = recorded(record, file.windowsPath);
        if (fingerprintInImage(fat, *known) != known->contents)
            report.filesChangedInWindows.push_back(file.windowsPath);
    }
    if (registries.machineChanged)
        registryFiles(registries, fat, files);
    std::vector<OutsideFile> replaced;
    stage(fat, files, record, replaced);
    if (registries.machineChanged)
        report.collisions = stageHives(fat, registries, record, replaced);
    report.plan = {plannedValueChanges(registries.machineSteps, registries.baseline.tree()),
                   plannedFiles(replaced)};
    return replaced;
}

std::uint64_t bytesOf(const std::vector<VolumeWrite>& writes) {
    std::uint64_t bytes = 0;
    for (const VolumeWrite& w : writes)
        bytes += w.bytes.size();
    return bytes;
}

// Writes into the image, and the record with it, once a snapshot keeps every file replaced as it
// was, and the baseline too, so that a restore puts back what the image then held; a write that
// leaves the image as it was takes its snapshot away again.
TransferCounters writeWithSnapshot(const fs::path& dir, Volume& volume,
                                   const std::vector<VolumeWrite>& writes, const ImageRecord& record,
                                   const std::vector<OutsideFile>& replaced,
                                   const std::optional<std::string>& newBaseline, const ImageCalls& calls) {
    checkWritable(volume.location(), bytesOf(writes), writes.size(), ImageRecord::journal(dir));
    Snapshots snapshots(dir);
    const std::uint64_t snapshot =
        snapshots.take({MachineFolder::baselineIn(dir)}, SnapshotKind::ByHand, replaced);
    // The record and the baseline change in the same step as the image, so that they always tell
    // what the image holds.
    std::vector<image::CompanionFile> companions{{ImageRecord::file(dir), record.text()}};
    if (newBaseline)
        companions.push_back({MachineFolder::baselineIn(dir), *newBaseline});
    try {
        return writeAtomically(volume.location(), writes, ImageRecord::journal(dir), calls, companions);
    } catch (const Failure&) {
        if (!fs::exists(journalFile(ImageRecord::journal(dir))))
            snapshots.remove(snapshot);
        throw;
    }
}

// The image's volume, refused when the image is no longer of the format it was imported in.
std::unique_ptr<Volume> openRecordedVolume(const ImageRecord& record) {
    auto volume = openVolume(record.image, record.partition);
    if (volume->location().format != record.format)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はもう %2 のイメージではありません。"
                                                     "--import-image でイメージをインポートし直してください"),
                      {record.image.string(), record.format}));
    return volume;
}

} // namespace

bool hasUnfinishedImageWrite(const fs::path& dir) {
    return fs::exists(journalFile(ImageRecord::journal(dir)));
}

void recoverImageWrite(const fs::path& dir) {
    if (!hasUnfinishedImageWrite(dir))
        return; // the common case takes no lock
    const MachineLock lock(dir);
    const KavendelImageLock image(loadRecord(dir).image);
    recoverPendingWrite(ImageRecord::journal(dir));
}

bool hasUnwrittenChanges(const fs::path& dir) {
    const ImageRecord record = loadRecord(dir);
    return Registries(dir).machineChanged || !changedTakenFiles(dir, record).empty();
}

bool imageUnchangedSinceImport(const fs::path& dir) {
    const ImageRecord record = loadRecord(dir);
    const auto volume = openVolume(record.image, record.partition);
    FatVolume fat(*volume);
    return volume->location().format == record.format && !changedInImage(fat, record);
}

ImageWriteReport writeBackToImage(const fs::path& dir, const ImageCalls& calls) {
    // Both locks are held from the first byte read to the last written: no other Kavendel
    // writes into the image, or changes the machine folder, meanwhile.
    const MachineLock lock(dir);
    const KavendelImageLock held(loadRecord(dir).image);
    recoverPendingWrite(ImageRecord::journal(dir));
    ImageRecord record = loadRecord(dir);
    const auto volume = openRecordedVolume(record);
    checkWritable(volume->location());
    FatVolume fat(*volume);
    const Registries registries(dir);
    ImageWriteReport report;
    const std::vector<OutsideFile> replaced = stageChanges(dir, fat, record, registries, report);
    const std::vector<VolumeWrite> writes = fat.writes();
    const auto newBaseline = registries.machineChanged
                                 ? std::optional(std::string(registries.machine.source().view()))
                                 : std::nullopt;
    if (!writes.empty()) {
        report.moved = writeWithSnapshot(dir, *volume, writes, record, replaced, newBaseline, calls);
        report.moved->bytesRead += volume->counters().bytesRead;
    } else if (newBaseline) {
        replaceFileAtomically(MachineFolder::baselineIn(dir), {*newBaseline}, 0644);
    }
    return report;
}

ImageWriteReport planImageWriteBack(const fs::path& dir) {
    ImageRecord record = loadRecord(dir);
    const auto volume = openRecordedVolume(record);
    FatVolume fat(*volume);
    const Registries registries(dir);
    ImageWriteReport report;
    stageChanges(dir, fat, record, registries, report);
    return report;
}

OutsideRestore planImageRestore(const fs::path& dir, const std::vector<OutsideFile>& files,
                                const ImageCalls& calls) {
    if (std::none_of(files.begin(), files.end(),
                     [](const OutsideFile& f) { return f.place == OutsideFile::Place::Image; }))
        return {};
    // The image stays locked from the first byte read to the last written.
    struct Plan {
        ImageRecord record;
        std::unique_ptr<KavendelImageLock> lock;
        std::unique_ptr<Volume> volume;
        std::unique_ptr<FatVolume> fat;
    };
    auto plan = std::make_shared<Plan>(Plan{loadRecord(dir), nullptr, nullptr, nullptr});
    plan->lock = std::make_unique<KavendelImageLock>(plan->record.image);
    plan->volume = openVolume(plan->record.image, plan->record.partition);
    checkWritable(plan->volume->location());
    plan->fat = std::make_unique<FatVolume>(*plan->volume);
    OutsideRestore restore;
    for (const OutsideFile& file : files) {
        if (file.place != OutsideFile::Place::Image)
            continue;
        const auto now = bytesInImage(*plan->fat, file.path);
        if (now == file.before)
            continue; // back as it was already
        if ((now ? fingerprintOf(*now).text() : "") != file.written)
            throw Failure(
                imageText(QT_TRANSLATE_NOOP("DiskImage",
                                            "%1 は Kavendel が書き込んだ後に %2 の中で変わりました。戻すと "
                                            "Windows が行った変更を取り消すため、何も戻していません"),
                          {cp932::toUtf8(file.path), plan->record.image.string()}));
        // A file the write-back deleted comes back with the attributes it had.
        stage(*plan->fat, {{file.path, file.before, file.attributes ? file.attributes : FatEntry::Archive}},
              plan->record, restore.replaced);
    }
    restore.putBack = [plan, dir, calls] {
        const std::vector<VolumeWrite> writes = plan->fat->writes();
        checkWritable(plan->volume->location(), bytesOf(writes), writes.size(), ImageRecord::journal(dir));
        writeAtomically(plan->volume->location(), writes, ImageRecord::journal(dir), calls,
                        {{ImageRecord::file(dir), plan->record.text()}});
    };
    return restore;
}

} // namespace kv
