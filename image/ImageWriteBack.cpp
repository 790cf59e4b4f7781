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
#include "ImageRecord.h"
#include "KeyTree.h"
#include "MachineFolder.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "StartupPatch.h"

namespace fs = std::filesystem;

namespace kv::image {

namespace {

std::string readOrThrow(const fs::path& file) {
    auto bytes = readIfPresent(file);
    if (!bytes)
        throw Failure(Message::verbatim(file.string() + " cannot be read"));
    return std::move(*bytes);
}

constexpr std::uint64_t MaxHiveSize = 128u << 20;

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
    bool machineChanged;

    explicit Registries(const fs::path& dir)
        : baselineText(readOrThrow(MachineFolder::baselineIn(dir)))
        , baseline(RegistryDocument::parse(baselineText))
        , machine(registryToWriteBack(dir))
        , machineChanged(!mergeOnto(baseline.tree(), machine.tree(), baseline.tree()).steps.empty()) {}
};

// The patch of the registry's changes since the baseline and the batch that applies it at the next
// start of Windows, each unless the image holds it as it would be written.
void registryFiles(const Registries& registries, FatVolume& fat, std::vector<FileToWrite>& out) {
    const auto startup = startupFolderOf(registries.machine.tree());
    if (!startup)
        throw Failure(Message::verbatim(
            "the registry does not name the Startup folder (HKEY_CURRENT_USER\\Software\\Microsoft\\"
            "Windows\\CurrentVersion\\Explorer\\Shell Folders, \"Startup\"), so Windows would never "
            "apply the changes"));
    const std::string batchPath =
        (startup->ends_with('\\') ? *startup : *startup + "\\") + std::string(StartupBatchName);
    const std::string patch = changesPatch(registries.baselineText, registries.machine.source().view());
    for (FileToWrite file : {FileToWrite{std::string(PatchWindowsPath), patch},
                             FileToWrite{batchPath, startupBatch(*startup)}}) {
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
            throw Failure(Message::verbatim(host->string() + " is too large to be a file Kavendel changed"));
        std::string bytes = readOrThrow(*host);
        if (file.contents != fingerprintOf(bytes))
            out.push_back({file.windowsPath, std::move(bytes)});
    }
    return out;
}

ImageRecord loadRecord(const fs::path& dir) {
    auto record = ImageRecord::load(dir);
    if (!record)
        throw Failure(
            Message::verbatim(dir.string() + " was not made from a disk image: make it with --import-image"));
    return std::move(*record);
}

// Puts the files into the volume's cache, and into the record as the image will hold them.
void stage(FatVolume& fat, const std::vector<FileToWrite>& files, ImageRecord& record) {
    for (const FileToWrite& file : files) {
        if (file.bytes)
            fat.create(file.windowsPath, *file.bytes);
        else if (const auto entry = fat.find(file.windowsPath))
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
// falls back to its backup. Returns what Windows changed too, where the machine's change won.
std::vector<Collision> stageHives(FatVolume& fat, const Registries& registries, ImageRecord& record) {
    RecordedFile* system = recordedHive(record, "SYSTEM.DAT");
    RecordedFile* user = recordedHive(record, "USER.DAT");
    if (!system || !user)
        return {};
    const auto systemEntry = fat.find(system->windowsPath);
    const auto userEntry = fat.find(user->windowsPath);
    if (!systemEntry || !userEntry)
        throw Failure(Message::verbatim(
            "the image no longer has its registry files SYSTEM.DAT and USER.DAT: import the "
            "image again with --import-image"));
    WrittenHives hives;
    try {
        hives =
            hivesWithMachineChanges(registries.baseline.tree(), registries.machine.tree(),
                                    fat.read(*systemEntry, MaxHiveSize), fat.read(*userEntry, MaxHiveSize));
    } catch (const Failure& e) {
        throw e.within(
            Message::verbatim("the registry files of the image cannot take the machine's registry"));
    }
    if (hives.changes == 0)
        return hives.collisions;
    fat.replace(*systemEntry, hives.systemDat);
    fat.replace(*userEntry, hives.userDat);
    system->contents = fingerprintOf(hives.systemDat);
    user->contents = fingerprintOf(hives.userDat);
    return hives.collisions;
}

// Stages every change; the taken files that Windows changed too are named in the report.
std::vector<FileToWrite> stageChanges(const fs::path& dir, FatVolume& fat, ImageRecord& record,
                                      const Registries& registries, ImageWriteReport& report) {
    std::vector<FileToWrite> files = changedTakenFiles(dir, record);
    for (const FileToWrite& file : files) {
        const RecordedFile* known = recorded(record, file.windowsPath);
        if (fingerprintInImage(fat, *known) != known->contents)
            report.filesChangedInWindows.push_back(file.windowsPath);
    }
    if (registries.machineChanged)
        registryFiles(registries, fat, files);
    stage(fat, files, record);
    if (registries.machineChanged)
        report.collisions = stageHives(fat, registries, record);
    return files;
}

} // namespace

void recoverImageWrite(const fs::path& dir) {
    if (fs::exists(ImageRecord::journal(dir)))
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
    ImageRecord record = loadRecord(dir);
    recoverImageWrite(dir);
    const auto volume = openVolume(record.image, record.partition);
    if (volume->location().format != record.format)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はもう %2 のイメージではありません。"
                                                     "--import-image でイメージをインポートし直してください"),
                      {record.image.string(), record.format}));
    checkWritable(volume->location());
    FatVolume fat(*volume);
    const Registries registries(dir);
    ImageWriteReport report;
    stageChanges(dir, fat, record, registries, report);
    const std::vector<VolumeWrite> writes = fat.writes();
    if (!writes.empty()) {
        std::uint64_t bytes = 0;
        for (const VolumeWrite& w : writes)
            bytes += w.bytes.size();
        checkWritable(volume->location(), bytes, writes.size(), ImageRecord::journal(dir));
        report.moved = writeAtomically(volume->location(), writes, ImageRecord::journal(dir), calls);
        report.moved->bytesRead += volume->counters().bytesRead;
        record.save(dir);
    }
    if (registries.machineChanged)
        replaceFileAtomically(MachineFolder::baselineIn(dir), {registries.machine.source().view()}, 0644);
    return report;
}

} // namespace kv::image
