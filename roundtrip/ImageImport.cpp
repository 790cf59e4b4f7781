#include "ImageImport.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "FatVolume.h"
#include "FileBytes.h"
#include "GameFiles.h"
#include "HiveReader.h"
#include "HiveWriteBack.h"
#include "ImageRecord.h"
#include "LockFile.h"
#include "MachineFolder.h"
#include "MachineImport.h"
#include "MachinePaths.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "RegistryFileStore.h"
#include "RoundTripText.h"
#include "Snapshots.h"
#include "StartupPatch.h"
#include "TemporaryFolder.h"

#include <fstream>

namespace fs = std::filesystem;

namespace kv {

using image::FatEntry;
using image::FatVolume;
using image::imageText;
using image::openVolume;

namespace {

const char* const CannotReadInTheImage = QT_TRANSLATE_NOOP("RoundTrip", "イメージの中の %1 を読み込めません");

constexpr std::uint64_t MaxMsdosSysSize = 64u << 10;

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string readHive(FatVolume& fat, const std::string& windowsPath) {
    const auto entry = fat.find(windowsPath);
    if (!entry)
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "イメージに %1 がありません: そこに Windows 98 "
                                                         "はインストールされていません"),
                          {cp932::toUtf8(windowsPath)}));
    try {
        return fat.read(*entry, MaxHiveSize);
    } catch (const Failure& e) {
        throw e.within(roundTripText(CannotReadInTheImage, {cp932::toUtf8(windowsPath)}));
    }
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 に書き込めません"), {file.string()}));
}

// The registry as regedit would export it, from the image's hives; records their fingerprints.
std::string registryOf(FatVolume& fat, ImageRecord& record) {
    const std::string windows = windowsFolder(fat);
    const std::string folder = windows.ends_with('\\') ? windows : windows + "\\";
    TemporaryFolder temporary("image");
    for (const char* name : {"SYSTEM.DAT", "USER.DAT"}) {
        const std::string bytes = readHive(fat, folder + name);
        writeFile(temporary.path() / name, bytes);
        record.files.push_back({RecordedFile::Role::Hive, folder + name, fingerprintOf(bytes)});
    }
    try {
        return exportHives(temporary.path() / "SYSTEM.DAT", temporary.path() / "USER.DAT");
    } catch (const Failure& e) {
        // The image was asked for, not these files: no fault of the command line's.
        throw e
            .within(roundTripText(
                QT_TRANSLATE_NOOP("RoundTrip", "イメージの %1 にあるレジストリファイルを読み込めません"),
                {cp932::toUtf8(folder)}))
            .as(Fault::none);
    }
}

// A path the record can hold on one line of its own.
bool recordable(std::string_view windowsPath) {
    return windowsPath.find_first_of("\t\n\r") == std::string_view::npos;
}

// Whether drive_c holds the file otherwise than previous recorded it: a change of the machine's
// own, not written into the image yet, which a refresh keeps.
bool changedOnMachine(const ImageRecord* previous, const std::string& windowsPath, const fs::path& host) {
    if (!previous)
        return false;
    std::optional<Fingerprint> recorded;
    for (const RecordedFile& file : previous->files)
        if (file.role == RecordedFile::Role::Taken && cp932::equalsIgnoreCase(file.windowsPath, windowsPath))
            recorded = file.contents;
    const auto bytes = readIfPresent(host);
    return (bytes ? std::optional(fingerprintOf(*bytes)) : std::nullopt) != recorded;
}

// Copies one file of the image into drive_c and records it, unless drive_c holds a change of the
// machine's own since previous: then it only records the image's file. Says why on notes when it
// cannot.
void take(FatVolume& fat, const MachineFolder& machine, const std::string& windowsPath, ImageRecord& record,
          const ImageRecord* previous, const Notes& notes) {
    const auto host = machine.resolve(windowsPath);
    const Message passedOver = roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 は取り込みませんでした"),
                                             {cp932::toUtf8(windowsPath)});
    if (!host || !recordable(windowsPath)) {
        notes(Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "マシンフォルダの外にあります")))
                  .within(passedOver));
        return;
    }
    try {
        const auto entry = fat.find(windowsPath);
        const bool keep = changedOnMachine(previous, windowsPath, *host);
        if (!entry) {
            record.files.push_back({RecordedFile::Role::Taken, windowsPath, std::nullopt});
            if (!keep)
                fs::remove(*host);
            return;
        }
        const std::string bytes = fat.read(*entry, GameFiles::MaxFileSize);
        record.files.push_back({RecordedFile::Role::Taken, windowsPath, fingerprintOf(bytes)});
        if (keep)
            return;
        fs::create_directories(host->parent_path());
        const fs::perms mode = (entry->attributes & FatEntry::ReadOnly) ? fs::perms(0444) : fs::perms(0644);
        replaceFileAtomically(*host, {bytes}, static_cast<mode_t>(mode));
    } catch (const Failure& e) {
        notes(e.within(passedOver));
    } catch (const std::exception& e) {
        notes(Failure(Message::verbatim(e.what())).within(passedOver));
    }
}

// A file the write-back makes, as the image holds it now.
void recordTarget(FatVolume& fat, const std::string& windowsPath, ImageRecord& record) {
    std::optional<Fingerprint> contents;
    if (const auto entry = fat.find(windowsPath)) {
        try {
            contents = fingerprintOf(fat.read(*entry, GameFiles::MaxFileSize));
        } catch (const Failure& e) {
            if (!e.is(Fault::damagedFileSystem))
                throw;
            throw e.within(roundTripText(CannotReadInTheImage, {cp932::toUtf8(windowsPath)}));
        }
    }
    record.files.push_back({RecordedFile::Role::Target, windowsPath, contents});
}

void takeFiles(FatVolume& fat, const fs::path& dir, ImageRecord& record, const ImageRecord* previous,
               const Notes& notes) {
    const MachineFolder machine(dir);
    auto store = RegistryFileStore::open(machine.registryFile());
    const MachinePaths paths = machinePaths(*store);
    std::vector<std::string> seen;
    for (const auto* list : {&paths.changeable, &paths.readOnly})
        for (const std::string& path : *list)
            if (std::none_of(seen.begin(), seen.end(),
                             [&](const std::string& s) { return cp932::equalsIgnoreCase(s, path); })) {
                seen.push_back(path);
                take(fat, machine, path, record, previous, notes);
            }
    recordTarget(fat, std::string(PatchWindowsPath), record);
    if (!paths.startupFolder || !recordable(*paths.startupFolder))
        return;
    if (const auto startup = machine.resolve(*paths.startupFolder)) {
        fs::create_directories(*startup);
        std::string batch = *paths.startupFolder;
        if (!batch.ends_with('\\'))
            batch += '\\';
        recordTarget(fat, batch + std::string(StartupBatchName), record);
    }
}

} // namespace

std::string windowsFolder(FatVolume& fat) {
    const auto msdosSys = fat.find("C:\\MSDOS.SYS");
    std::string text;
    if (msdosSys && !msdosSys->isDirectory() && msdosSys->size <= MaxMsdosSysSize)
        text = fat.read(*msdosSys, MaxMsdosSysSize);
    bool inPaths = false;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        line.erase(line.find_last_not_of(" \t\r") + 1);
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.starts_with('['))
            inPaths = lowerAscii(line) == "[paths]";
        else if (inPaths && lowerAscii(line.substr(0, 7)) == "windir=" && line.size() > 7)
            return line.substr(7);
    }
    return "C:\\WINDOWS";
}

void importImage(const fs::path& dir, const fs::path& image, std::optional<int> partition,
                 const Notes& notes) {
    checkImportTarget(dir, std::nullopt);
    const fs::path absolute = fs::absolute(image);
    if (!recordable(absolute.string()))
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1: 名前にタブや改行を含むディスクイメージは"
                                                         "記録できません"),
                          {image.string()}));
    const auto volume = openVolume(absolute, partition);
    if (const auto& choice = volume->location().partitionChoice)
        notes(Failure(*choice));
    FatVolume fat(*volume);
    ImageRecord record{absolute, volume->location().format, volume->location().partition, {}};
    const std::string registry = registryOf(fat, record);
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    createMachine(dir, registry, std::nullopt);
    try {
        takeFiles(fat, dir, record, nullptr, notes);
        record.save(dir);
    } catch (...) {
        if (existed)
            for (const auto& entry : fs::directory_iterator(dir, ec))
                fs::remove_all(entry.path(), ec);
        else
            fs::remove_all(dir, ec);
        throw;
    }
}

// The files of the taken paths as drive_c holds them, for a snapshot.
std::vector<fs::path> takenFilesOf(const fs::path& dir, const ImageRecord& record) {
    const MachineFolder machine(dir);
    std::vector<fs::path> files;
    for (const RecordedFile& file : record.files)
        if (const auto host = machine.resolve(file.windowsPath);
            host && file.role == RecordedFile::Role::Taken)
            files.push_back(*host);
    return files;
}

void refreshFromImage(const fs::path& dir, const Notes& notes) {
    const ImageRecord previous = *ImageRecord::load(dir);
    const auto volume = openVolume(previous.image, previous.partition);
    FatVolume fat(*volume);
    ImageRecord record{previous.image, volume->location().format, volume->location().partition, {}};
    const std::string imageRegistry = registryOf(fat, record);
    const RegistryDocument machine = registryToWriteBack(dir);
    const MergedPatch unwritten =
        mergeOnto(baselineOf(dir).tree(), machine.tree(), RegistryDocument::parse(imageRegistry).tree());
    const std::uint64_t snapshot = Snapshots(dir).take(takenFilesOf(dir, previous), SnapshotKind::Automatic);
    {
        const LockFile lock(MachineFolder::registryFileIn(dir), LockFile::Mode::Exclusive);
        replaceFileAtomically(MachineFolder::registryFileIn(dir),
                              {imageRegistry, patchSections(unwritten.steps)}, 0644);
    }
    takeFiles(fat, dir, record, &previous, notes);
    replaceFileAtomically(MachineFolder::baselineIn(dir), {imageRegistry}, 0644);
    record.save(dir);
    notes(Failure(roundTripText(
        QT_TRANSLATE_NOOP("RoundTrip",
                          "%1 は %2 が最後に読んだ後に変わりました。マシンはイメージの内容になり、"
                          "まだ書き込んでいない %3 個の変更をその上に残しています。"
                          "以前のマシンはスナップショット %4 にあります"),
        {previous.image.string(), dir.string(), std::to_string(unwritten.steps.size()),
         std::to_string(snapshot)})));
    for (const Collision& collision : unwritten.collisions)
        notes(Failure(roundTripText(
            QT_TRANSLATE_NOOP("RoundTrip", "%1 は Windows でも変わっていました。マシンの変更を残します"),
            {collisionText(collision)})));
}

fs::path machineFolderFor(const fs::path& image, const fs::path& imagesFolder) {
    const fs::path absolute = fs::absolute(image);
    // The name tells the user which image it is; the hash of the whole path keeps two
    // images of the same name apart.
    return imagesFolder /
           (absolute.stem().string() + "-" + fingerprintOf(absolute.string()).sha256.substr(0, 12));
}

fs::path machineForImage(const fs::path& image, const fs::path& imagesFolder, const Notes& notes) {
    const fs::path absolute = fs::absolute(image);
    const fs::path dir = machineFolderFor(absolute, imagesFolder);
    std::error_code ec;
    if (fs::exists(MachineFolder::registryFileIn(dir), ec) && ImageRecord::load(dir)) {
        recoverImageWrite(dir);
        if (!imageUnchangedSinceImport(dir))
            refreshFromImage(dir, notes);
        return dir;
    }
    // A folder that is there but not whole is refused by the import, naming it: it may hold
    // what the user wants to keep.
    fs::create_directories(imagesFolder);
    importImage(dir, absolute, std::nullopt, notes);
    return dir;
}

} // namespace kv
