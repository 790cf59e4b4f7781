// The write-back half of ImageImport.h: the changes since the import, checked against the image
// as it is now, put into it in one step.
#include "ImageImport.h"

#include "Cp932.h"
#include "FatVolume.h"
#include "FileBytes.h"
#include "GameFiles.h"
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
        throw ImageError(file.string() + " cannot be read");
    return std::move(*bytes);
}

// The file as the image holds it now, or nullopt when it is not there.
std::optional<Fingerprint> fingerprintInImage(FatVolume& fat, const RecordedFile& file) {
    const auto entry = fat.find(file.windowsPath);
    if (!entry)
        return std::nullopt;
    if (file.contents && entry->size != file.contents->size)
        return Fingerprint{entry->size, {}};
    try {
        return fingerprintOf(
            fat.read(*entry, file.role == RecordedFile::Role::Hive ? (128u << 20) : GameFiles::MaxFileSize));
    } catch (const FatError&) {
        return Fingerprint{entry->size, {}}; // damaged since: it differs from what was taken
    }
}

void refuseChangedFiles(FatVolume& fat, const ImageRecord& record) {
    for (const RecordedFile& file : record.files)
        if (fingerprintInImage(fat, file) != file.contents)
            throw ImageError(
                cp932::toUtf8(file.windowsPath) + " changed in " + record.image.string() +
                " since the import, so writing now could undo what Windows did: import the image "
                "again with --import-image");
}

// Puts the registry's changes since the import and the batch that applies them at the next
// start of Windows into the volume; nothing when the registry is as imported.
void stageRegistryChanges(FatVolume& fat, const fs::path& dir, ImageRecord& record) {
    const std::string before = readOrThrow(ImageRecord::importedRegistry(dir));
    const std::string now = readOrThrow(MachineFolder(dir).registryFile());
    const RegistryDocument nowDocument = RegistryDocument::parse(now);
    if (countDifferences(RegistryDocument::parse(before).tree(), nowDocument.tree()) == DiffCount{})
        return;
    const auto startup = startupFolderOf(nowDocument.tree());
    if (!startup)
        throw ImageError(
            "the registry does not name the Startup folder (HKEY_CURRENT_USER\\Software\\Microsoft\\"
            "Windows\\CurrentVersion\\Explorer\\Shell Folders, \"Startup\"), so Windows would never "
            "apply the changes");
    const std::string batchPath =
        (startup->ends_with('\\') ? *startup : *startup + "\\") + std::string(StartupBatchName);
    const std::string patch = changesPatch(before, now);
    const std::string batch = startupBatch(*startup);
    for (const auto& [path, bytes] :
         {std::pair{std::string(PatchWindowsPath), &patch}, std::pair{batchPath, &batch}}) {
        const auto known = std::find_if(record.files.begin(), record.files.end(), [&](const RecordedFile& f) {
            return cp932::equalsIgnoreCase(f.windowsPath, path);
        });
        const Fingerprint wanted = fingerprintOf(*bytes);
        if (known != record.files.end() && known->contents == wanted)
            continue; // written by an earlier write-back, and not changed since
        fat.create(path, *bytes);
        if (known == record.files.end())
            record.files.push_back({RecordedFile::Role::Target, path, wanted});
        else
            known->contents = wanted;
    }
}

// Each taken file that drive_c now holds otherwise, or no longer holds, goes back.
void stageFileChanges(FatVolume& fat, const fs::path& dir, ImageRecord& record) {
    const MachineFolder machine(dir);
    for (RecordedFile& file : record.files) {
        if (file.role != RecordedFile::Role::Taken)
            continue;
        const auto host = machine.resolve(file.windowsPath);
        std::error_code ec;
        const bool present = host && fs::is_regular_file(*host, ec);
        if (!present && file.contents) {
            fat.remove(*fat.find(file.windowsPath));
            file.contents.reset();
        } else if (present) {
            if (fs::file_size(*host, ec) > GameFiles::MaxFileSize)
                throw ImageError(host->string() + " is too large to be a file Kavendel changed");
            const std::string bytes = readOrThrow(*host);
            const Fingerprint now = fingerprintOf(bytes);
            if (file.contents == now)
                continue;
            fat.create(file.windowsPath, bytes);
            file.contents = now;
        }
    }
}

} // namespace

void recoverImageWrite(const fs::path& dir) {
    if (fs::exists(ImageRecord::journal(dir)))
        recoverPendingWrite(ImageRecord::journal(dir));
}

std::optional<TransferCounters> writeBackToImage(const fs::path& dir) {
    auto record = ImageRecord::load(dir);
    if (!record)
        throw ImageError(dir.string() + " was not made from a disk image: make it with --import-image");
    recoverImageWrite(dir);
    const auto volume = openVolume(record->image, record->partition);
    if (volume->location().format != record->format)
        throw ImageError(record->image.string() + " is no longer a " + record->format +
                         " image: import the image again with --import-image");
    checkWritable(volume->location());
    FatVolume fat(*volume);
    refuseChangedFiles(fat, *record);
    stageRegistryChanges(fat, dir, *record);
    stageFileChanges(fat, dir, *record);
    const std::vector<VolumeWrite> writes = fat.writes();
    if (writes.empty())
        return std::nullopt;
    std::uint64_t bytes = 0;
    for (const VolumeWrite& w : writes)
        bytes += w.bytes.size();
    checkWritable(volume->location(), bytes, writes.size(), ImageRecord::journal(dir));
    TransferCounters moved = writeAtomically(volume->location(), writes, ImageRecord::journal(dir));
    moved.bytesRead += volume->counters().bytesRead;
    record->save(dir);
    return moved;
}

} // namespace kv::image
