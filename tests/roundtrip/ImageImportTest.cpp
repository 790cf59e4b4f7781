// A machine folder imported from the Windows 98 in a disk image, and its changes written back:
// checked with mtools and fsck.fat, which are not Kavendel's own FAT code.
#include "ImageImport.h"
#include "DiskImage.h"
#include "EnglishText.h"
#include "FatVolume.h"
#include "FileContents.h"
#include "Hive.h"
#include "HiveChanges.h"
#include "HiveReader.h"
#include "HiveWriteBack.h"
#include "ImageLock.h"
#include "ImageRecord.h"
#include "RegistryDiff.h"
#include "Snapshots.h"
#include "StartupPatch.h"
#include "TemporaryFolder.h"
#include "Win98Image.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace kv;
using namespace kv::image;

namespace {

const fs::path Hives = fs::path(KAVENDEL_TEST_DATA) / "hives";
constexpr std::uint64_t DiskSize = 64ull << 20;

// Everything under dir, relative, folders ending in "/", in order.
std::vector<std::string> treeOf(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        out.push_back(fs::relative(entry.path(), dir).string() + (entry.is_directory() ? "/" : ""));
    std::sort(out.begin(), out.end());
    return out;
}

class ImageImport : public ::testing::Test {
protected:
    TemporaryFolder m_folder;
    fs::path m_machine = m_folder.path() / "machine";
    std::ostringstream m_notes;
};

TEST_F(ImageImport, TakesTheRegistryAndOnlyTheFilesKavendelUses) {
    for (int fatBits : {16, 32}) {
        SCOPED_TRACE(fatBits);
        fs::remove_all(m_machine);
        test::Win98Image disk(m_folder.path(), DiskSize, fatBits);
        disk.installWindows(Hives);
        importImage(m_machine, disk.raw(), std::nullopt, test::notesInEnglish(m_notes));

        EXPECT_EQ(test::fileContents(m_machine / "registry.reg"),
                  exportHives(Hives / "SYSTEM.DAT", Hives / "USER.DAT"));
        const fs::path drive = m_machine / "drive_c";
        EXPECT_EQ(treeOf(drive),
                  (std::vector<std::string>{"WINDOWS/", "WINDOWS/INF/", "WINDOWS/INF/ATITUNEP.INF",
                                            "WINDOWS/INF/ATIXBAR.INF", "WINDOWS/INF/ATI_9XAA.INF",
                                            "WINDOWS/Start Menu/", "WINDOWS/Start Menu/Programs/",
                                            "WINDOWS/Start Menu/Programs/StartUp/"}));
        EXPECT_EQ(test::fileContents(drive / "WINDOWS/INF/ATIXBAR.INF"), std::string(70000, 'x'));
        EXPECT_EQ(fs::status(drive / "WINDOWS/INF/ATITUNEP.INF").permissions() & fs::perms::owner_write,
                  fs::perms::none);
        const auto record = ImageRecord::load(m_machine);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->format, "raw");
        EXPECT_EQ(record->partition, 1);
        EXPECT_EQ(record->files.front().windowsPath,
                  std::string("C:\\") + test::Win98Image::WindowsFolder + "\\SYSTEM.DAT");
        EXPECT_EQ(record->files.front().contents, fingerprintOf(test::fileContents(Hives / "SYSTEM.DAT")));
        EXPECT_EQ(m_notes.str(), "");
    }
}

struct HostileRow {
    const char* name;
    std::function<void(test::Win98Image&)> damage;
    const char* error; // nullptr: the import goes on, passing over what it cannot take
    const char* note;
};

TEST_F(ImageImport, HostileImagesGiveAnErrorOrArePassedOverAndNothingLeavesTheMachineFolder) {
    const HostileRow rows[] = {
        {"truncated", [](auto& d) { fs::resize_file(d.raw(), 3u << 20); }, "", nullptr},
        {"not FAT", [](auto& d) { test::writeBytesAt(d.raw(), d.VolumeOffset, std::string(512, '\0')); },
         "FAT", nullptr},
        {"hive chain loops", [](auto& d) { d.setFatEntry(d.systemDatCluster() + 5, d.systemDatCluster()); },
         "loop", nullptr},
        {"hive chain past the end", [](auto& d) { d.setFatEntry(d.systemDatCluster() + 5, 0xFFF0); },
         "outside", nullptr},
        {"hive chain cut short", [](auto& d) { d.setFatEntry(d.systemDatCluster() + 5, 0xFFFF); }, "shorter",
         nullptr},
        {"hive that is not a hive",
         [](auto& d) { test::writeBytesAt(d.raw(), d.clusterOffset(d.systemDatCluster()), "garbage!"); },
         "registry files", nullptr},
        {"WinDir leaves the drive",
         [](auto& d) {
             d.mtools({"mattrib", "-r", "c:/MSDOS.SYS"});
             d.put("/MSDOS.SYS", "[Paths]\r\nWinDir=C:\\..\\..\\..\\etc\r\n");
         },
         "has no", nullptr},
        {"a 4 GB INF file", [](auto& d) { d.patch("ATIXBAR INF", 28, "\xF0\xFF\xFF\xFF"); }, nullptr,
         "ATIXBAR.INF: it is 4294967280 bytes long"},
        {"a folder whose chain loops",
         [](auto& d) {
             const auto inf = d.firstCluster("/WINDOWS/INF");
             d.setFatEntry(inf, inf);
         },
         nullptr, "loop"},
    };
    for (const HostileRow& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder here;
        const fs::path machine = here.path() / "machine";
        test::Win98Image disk(here.path(), DiskSize, 16);
        disk.installWindows(Hives);
        row.damage(disk);
        std::ostringstream notes;
        if (row.error) {
            try {
                importImage(machine, disk.raw(), std::nullopt, test::notesInEnglish(notes));
                ADD_FAILURE() << "imported";
            } catch (const Failure& e) {
                EXPECT_NE(test::englishText(e).find(row.error), std::string::npos) << test::englishText(e);
            }
            EXPECT_FALSE(fs::exists(machine));
        } else {
            importImage(machine, disk.raw(), std::nullopt, test::notesInEnglish(notes));
            EXPECT_NE(notes.str().find(row.note), std::string::npos) << notes.str();
        }
        EXPECT_EQ(treeOf(here.path()).size() - (fs::exists(machine) ? treeOf(machine).size() + 1 : 0), 3u)
            << "only the image, its mtools settings and the scratch file lie beside the machine folder";
    }
}

const std::string NewInf(5000, 'n');
const std::string StartupFolder = "C:\\WINDOWS\\Start Menu\\Programs\\StartUp";

// What a user does on the machine after the import: a registry change, one INF file changed and
// one deleted.
void changeMachine(const fs::path& machine) {
    std::ofstream(machine / "registry.reg", std::ios::app) << "[HKEY_LOCAL_MACHINE\\Software\\Kavendel]\r\n"
                                                           << "\"Test\"=\"1\"\r\n\r\n";
    std::ofstream(machine / "drive_c/WINDOWS/INF/ATI_9XAA.INF", std::ios::binary | std::ios::trunc) << NewInf;
    fs::remove(machine / "drive_c/WINDOWS/INF/ATIXBAR.INF");
}

// The raw disk behind an image of any format.
std::string rawBytes(const fs::path& image, const std::string& format, const fs::path& raw) {
    if (format != "raw")
        test::runTool({"qemu-img", "convert", "-O", "raw", image.string(), raw.string()});
    return test::fileContents(raw);
}

void expectFsckClean(const test::Win98Image& disk, const fs::path& scratch) {
    test::runTool(
        {"dd", "if=" + disk.raw().string(), "of=" + scratch.string(), "bs=1M", "skip=1", "status=none"});
    EXPECT_NO_THROW(test::runTool({"fsck.fat", "-n", scratch.string()}));
}

TEST_F(ImageImport, WriteBackPutsInTheChangesAndLeavesEveryOtherByte) {
    const struct {
        const char* build;
        int fatBits;
    } rows[] = {{"raw", 16}, {"raw", 32}, {"vpc", 16}, {"vpc-fixed", 32}, {"qcow2", 16}, {"vdi", 32}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.build) + " FAT" + std::to_string(row.fatBits));
        TemporaryFolder here;
        const fs::path machine = here.path() / "machine";
        test::Win98Image disk(here.path(), DiskSize, row.fatBits);
        disk.installWindows(Hives);
        const std::string build = row.build;
        const fs::path image = build == "raw" ? disk.raw() : test::convertImage(disk.raw(), build);
        const std::string format = build == "vpc-fixed" ? "vpc" : build;
        importImage(machine, image, std::nullopt, test::notesInEnglish(m_notes));
        changeMachine(machine);
        // A VHD's footer ends the file; its UUID is what an emulator knows the disk by.
        auto vhdUuid = [&] {
            return format == "vpc" ? test::fileContents(image).substr(fs::file_size(image) - 512 + 68, 16)
                                   : "";
        };
        const std::string uuid = vhdUuid();
        const std::string before = rawBytes(image, format, disk.raw());

        const std::string baseline = test::fileContents(ImageRecord::importedRegistry(machine));
        ASSERT_TRUE(writeBackToImage(machine).moved);
        const std::string after = rawBytes(image, format, disk.raw());
        const std::string registry = test::fileContents(machine / "registry.reg");
        EXPECT_EQ(disk.get("/KAVENDEL/CHANGES.REG"), changesPatch(baseline, registry));
        EXPECT_EQ(test::fileContents(ImageRecord::importedRegistry(machine)), registry) << "the new baseline";
        EXPECT_EQ(disk.get("/WINDOWS/Start Menu/Programs/StartUp/KAVENDEL.BAT"), startupBatch(StartupFolder));
        EXPECT_EQ(disk.get("/WINDOWS/INF/ATI_9XAA.INF"), NewInf);
        EXPECT_THROW(disk.get("/WINDOWS/INF/ATIXBAR.INF"), std::runtime_error);
        EXPECT_EQ(disk.get("/My Documents/A letter with a long name.txt"), "Dear");
        expectFsckClean(disk, here.path() / "volume");

        // Every changed byte lies in the FATs, the FSInfo sector, or a cluster of what was written.
        auto allowed = std::vector{disk.fatArea(), std::pair{test::Win98Image::VolumeOffset + 512,
                                                             test::Win98Image::VolumeOffset + 1024}};
        for (const char* path : {"/KAVENDEL", "/KAVENDEL/CHANGES.REG", "/WINDOWS/Start Menu/Programs/StartUp",
                                 "/WINDOWS/Start Menu/Programs/StartUp/KAVENDEL.BAT", "/WINDOWS/INF",
                                 "/WINDOWS/INF/ATI_9XAA.INF"})
            for (const auto& range : disk.clusterRanges(path))
                allowed.push_back(range);
        if (row.fatBits == 32)
            allowed.push_back({disk.clusterOffset(2), disk.clusterOffset(3)}); // the root folder
        // The hives, read back with Kavendel's own FAT code as mtools cannot name their folder.
        for (const auto& range : disk.chainRanges(disk.windowsFolderCluster()))
            allowed.push_back(range);
        const auto volume = openVolume(image, std::nullopt);
        FatVolume fat(*volume);
        for (const char* name : {"SYSTEM.DAT", "USER.DAT"}) {
            const auto entry = fat.find(std::string("C:\\") + test::Win98Image::WindowsFolder + "\\" + name);
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->attributes & 0x07, 0x07) << name << " is still hidden, system and read-only";
            for (const auto& range : disk.chainRanges(entry->firstCluster))
                allowed.push_back(range);
        }
        const auto systemDat = hive::Hive::read(fat.read(
            *fat.find(std::string("C:\\") + test::Win98Image::WindowsFolder + "\\SYSTEM.DAT"), 128u << 20));
        const auto software = systemDat.child(systemDat.root(), "Software");
        const auto written = software ? systemDat.child(*software, "Kavendel") : std::nullopt;
        ASSERT_TRUE(written) << "SYSTEM.DAT holds the new key";
        EXPECT_EQ(systemDat.values(*written), (std::vector<hive::Value>{{"Test", 1, "1"}}));
        ASSERT_EQ(before.size(), after.size());
        for (auto at = std::mismatch(before.begin(), before.end(), after.begin()); at.first != before.end();
             at = std::mismatch(at.first + 1, before.end(), at.second + 1)) {
            const auto i = static_cast<std::uint64_t>(at.first - before.begin());
            if (std::none_of(allowed.begin(), allowed.end(),
                             [&](const auto& r) { return i >= r.first && i < r.second; })) {
                ADD_FAILURE() << "byte " << i << " changed";
                break;
            }
        }
        EXPECT_FALSE(writeBackToImage(machine).moved) << "a second write-back has nothing left to write";
        EXPECT_EQ(vhdUuid(), uuid);
    }
}

void setMachineValues(const fs::path& machine, const std::string& lines) {
    std::ofstream(machine / "registry.reg", std::ios::app)
        << "\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavendel]\r\n"
        << lines;
}

// SYSTEM.DAT as the image holds it now, read as Kavendel reads it.
hive::Hive systemDatOf(const fs::path& machine) {
    const ImageRecord record = *ImageRecord::load(machine);
    const auto volume = openVolume(record.image, record.partition);
    FatVolume fat(*volume);
    return hive::Hive::read(fat.read(*fat.find(record.files.front().windowsPath), 128u << 20));
}

// Windows starts and rewrites SYSTEM.DAT: values changed, one added.
void bootWindows(const fs::path& machine, const fs::path& journal) {
    hive::Hive system = systemDatOf(machine);
    const auto key = hive::findKey(system, {"Software", "Kavendel"});
    ASSERT_TRUE(key);
    system.setValue(*key, "Tuned", RegString, "by Windows");
    system.setValue(*key, "Mode", RegString, "by Windows");
    system.setValue(*key, "Booted", RegString, "yes");
    const ImageRecord record = *ImageRecord::load(machine);
    const auto volume = openVolume(record.image, record.partition);
    FatVolume fat(*volume);
    fat.replace(*fat.find(record.files.front().windowsPath), system.write());
    writeAtomically(volume->location(), fat.writes(), journal);
}

std::string valueIn(const hive::Hive& file, const std::string& name) {
    for (const hive::Value& value : file.values(*hive::findKey(file, {"Software", "Kavendel"})))
        if (value.name == name)
            return value.data.substr(0, value.data.find('\0'));
    return "(none)";
}

// Tune, write back, let Windows run, tune again, write back again: what Windows changed stays
// unless the machine changed it since, and then the machine's change wins and is named.
TEST_F(ImageImport, TheLoopAfterWindowsRanKeepsWhatWindowsChanged) {
    for (const std::string format : {"raw", "qcow2"}) {
        SCOPED_TRACE(format);
        TemporaryFolder here;
        const fs::path machine = here.path() / "machine";
        test::Win98Image disk(here.path(), DiskSize, 16);
        disk.installWindows(Hives);
        const fs::path image = format == "raw" ? disk.raw() : test::convertImage(disk.raw(), format);
        importImage(machine, image, std::nullopt, test::notesInEnglish(m_notes));
        setMachineValues(machine, "\"Tuned\"=\"1\"\r\n\"Mode\"=\"1\"\r\n");
        ASSERT_TRUE(writeBackToImage(machine).moved);
        bootWindows(machine, here.path() / "journal");

        setMachineValues(machine, "\"Tuned\"=\"again\"\r\n");
        const ImageWriteReport again = writeBackToImage(machine);
        ASSERT_TRUE(again.moved);
        ASSERT_EQ(again.collisions.size(), 1u);
        EXPECT_EQ(collisionText(again.collisions[0]), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kavendel \"Tuned\"");
        const hive::Hive system = systemDatOf(machine);
        EXPECT_EQ(valueIn(system, "Tuned"), "again");
        EXPECT_EQ(valueIn(system, "Mode"), "by Windows") << "the first write-back moved the baseline";
        EXPECT_EQ(valueIn(system, "Booted"), "yes");
        rawBytes(image, format, disk.raw());
        expectFsckClean(disk, here.path() / "volume");
    }
}

// A paused emulator on the image for as long as it lives, as a running Windows 98 would hold it.
class PausedEmulator {
public:
    explicit PausedEmulator(const fs::path& raw)
        : m_thread([raw] {
            image::SystemProgramRunner().run({"timeout", "4", "qemu-system-i386", "-S", "-display", "none",
                                              "-drive", "file=" + raw.string() + ",format=raw"});
        }) {
        for (int i = 0; i < 60 && !locked(raw); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~PausedEmulator() { m_thread.join(); }
    PausedEmulator(const PausedEmulator&) = delete;
    PausedEmulator& operator=(const PausedEmulator&) = delete;

private:
    static bool locked(const fs::path& raw) {
        const int fd = ::open(raw.c_str(), O_RDONLY);
        const bool held = image::lockedByOthers(fd);
        ::close(fd);
        return held;
    }
    std::thread m_thread;
};

TEST_F(ImageImport, WriteBackRefusesBeforeWritingAnything) {
    const bool haveEmulator = image::SystemProgramRunner().run({"qemu-system-i386", "--version"}).status == 0;
    const struct {
        const char* name;
        std::function<void(test::Win98Image&)> since;
        const char* reason;
    } rows[] = {
        {"a hive damaged",
         [](auto& d) { test::writeBytesAt(d.raw(), d.clusterOffset(d.systemDatCluster()), "Windows ran"); },
         "SYSTEM.DAT"},
        {"a line the store cannot read",
         [](auto& d) {
             std::ofstream(d.raw().parent_path() / "machine/registry.reg", std::ios::app)
                 << "\"v\"=hex:0g\r\n";
         },
         "hex:0g"},
        {"full",
         [](auto& d) {
             const std::string listing = d.mtools({"mdir", "c:/"}).out;
             std::string free = listing.substr(0, listing.rfind(" bytes free"));
             free = free.substr(free.find_last_of('\n') + 1);
             std::erase(free, ' ');
             const fs::path filler = d.raw().parent_path() / "filler";
             test::makeBlankImage(filler, std::stoull(free));
             d.mtools({"mcopy", filler.string(), "c:/FILLER"});
         },
         "full"},
        {"no longer FAT",
         [](auto& d) { test::writeBytesAt(d.raw(), d.VolumeOffset, std::string(512, '\0')); }, "FAT"},
        {"held by an emulator", nullptr, "shut the emulator down first"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.since && !haveEmulator)
            continue;
        TemporaryFolder here;
        const fs::path machine = here.path() / "machine";
        test::Win98Image disk(here.path(), DiskSize, 16);
        disk.installWindows(Hives);
        importImage(machine, disk.raw(), std::nullopt, test::notesInEnglish(m_notes));
        changeMachine(machine);
        if (row.since)
            row.since(disk);
        const std::string before = disk.fileContents();
        const std::string record = test::fileContents(ImageRecord::folder(machine) / "source.txt");
        try {
            std::optional<PausedEmulator> emulator;
            if (!row.since)
                emulator.emplace(disk.raw());
            writeBackToImage(machine);
            ADD_FAILURE() << "written";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.reason), std::string::npos) << test::englishText(e);
        }
        EXPECT_TRUE(disk.fileContents() == before) << "the image changed";
        EXPECT_EQ(test::fileContents(ImageRecord::folder(machine) / "source.txt"), record);
    }
}

ino_t inodeOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_ino;
}

image::ProgramResult kavendel(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{KAVENDEL_PROGRAM, "--lang", "en"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return image::SystemProgramRunner().run(argv);
}

TEST_F(ImageImport, TheCommandLineImportsWritesBackAndOpensAnImage) {
    test::Win98Image disk(m_folder.path(), DiskSize, 16);
    disk.installWindows(Hives);
    const std::string machine = m_machine.string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* said; // on standard output, or standard error when the job fails
    } rows[] = {
        {{"--machine", machine, "--import-image", disk.raw().string(), "--partition", "1"}, 0, "created"},
        {{"--machine", machine, "--write-image"}, 0, "nothing to write"},
        {{"--machine", machine, "--import-image", disk.raw().string()}, 1, "not an empty folder"},
        {{"--machine", machine, "--write-image", "--partition", "2"},
         2,
         "--partition goes with --import-image"},
        {{"--image", disk.raw().string(), "--machine", machine}, 2, "cannot be combined"},
        {{"--machine", (m_folder.path() / "other").string(), "--import-image", disk.raw().string(),
          "--partition", "3"},
         1,
         "partition"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        const auto result = kavendel(row.arguments);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_NE((row.status == 0 ? result.out : result.err).find(row.said), std::string::npos)
            << result.out << result.err;
    }
    changeMachine(m_machine);
    const auto written = kavendel({"--machine", machine, "--write-image"});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.out.find("bytes written"), std::string::npos) << written.out;
    EXPECT_EQ(disk.get("/WINDOWS/INF/ATI_9XAA.INF"), NewInf);

    // --image imports into a folder of its own once and reuses it while the image is unchanged.
    // Once Windows changed the image, the folder is refreshed from it, its own changes not
    // written yet kept on top, and an automatic snapshot keeps it as it was. The keys every start
    // creates empty are no such change.
    ::setenv("XDG_DATA_HOME", (m_folder.path() / "data").c_str(), 1);
    const fs::path images = m_folder.path() / "data/kavendel/images";
    const std::vector<std::string> open{"--image", disk.raw().string(), "--screenshot",
                                        (m_folder.path() / "shots").string()};
    const auto first = kavendel(open);
    EXPECT_EQ(first.status, 0) << first.err;
    const fs::path own = fs::directory_iterator(images)->path();
    EXPECT_EQ(own.filename().string().substr(0, 5), "disk-");
    const ino_t imported = inodeOf(own / "registry.reg");
    EXPECT_EQ(kavendel(open).status, 0);
    EXPECT_EQ(inodeOf(own / "registry.reg"), imported) << "reused while the image is unchanged";
    EXPECT_FALSE(hasUnwrittenChanges(own));
    setMachineValues(own, "\"Unwritten\"=\"1\"\r\n");
    const std::string unwritten = test::fileContents(own / "registry.reg");
    disk.put("/WINDOWS/INF/ATI_9XAA.INF", "edited in Windows");
    const auto refreshed = kavendel(open);
    EXPECT_EQ(refreshed.status, 0) << refreshed.err;
    EXPECT_EQ(test::fileContents(own / "drive_c/WINDOWS/INF/ATI_9XAA.INF"), "edited in Windows");
    EXPECT_NE(test::fileContents(own / "registry.reg").find("\"Unwritten\"=\"1\""), std::string::npos);
    const auto snapshots = Snapshots(own).list();
    EXPECT_TRUE(std::any_of(snapshots.begin(), snapshots.end(), [&](const SnapshotInfo& info) {
        return Snapshots(own).registry(info.id) == unwritten;
    }));
    EXPECT_TRUE(fs::exists(m_folder.path() / "shots/controls.tsv"));
}

bool holdsFile(const test::Win98Image& disk, const std::string& dosPath) {
    try {
        disk.get(dosPath);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

// --restore of a write-back's snapshot puts the image's files back as they were, in one step with
// the record, so that the next write-back goes in; where Windows changed one of them since, it
// refuses and changes nothing.
TEST_F(ImageImport, ARestorePutsTheImagesFilesBackUnlessWindowsChangedThemSince) {
    const struct {
        const char* name;
        bool windowsRan;
    } rows[] = {{"as written", false}, {"Windows ran since", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder here;
        const fs::path machine = here.path() / "machine";
        test::Win98Image disk(here.path(), DiskSize, 16);
        disk.installWindows(Hives);
        disk.mtools({"mattrib", "+r", "+h", "c:/WINDOWS/INF/ATIXBAR.INF"});
        importImage(machine, disk.raw(), std::nullopt, test::notesInEnglish(m_notes));
        const std::string imported = test::fileContents(ImageRecord::importedRegistry(machine));
        changeMachine(machine);
        ASSERT_TRUE(writeBackToImage(machine).moved);
        const std::string written = test::fileContents(ImageRecord::importedRegistry(machine));
        for (const OutsideFile& file : Snapshots(machine).outsideFiles(1))
            EXPECT_FALSE(file.path.ends_with("USER.DAT"))
                << "USER.DAT holds no change, so it is not rewritten";
        const auto listed = kavendel({"--machine", machine.string(), "--snapshots"});
        EXPECT_NE(listed.out.find("\n1\t"), std::string::npos) << listed.out;
        EXPECT_NE(listed.out.find("by hand, with files of the disk image\t"), std::string::npos)
            << listed.out;
        if (row.windowsRan)
            test::writeBytesAt(disk.raw(), disk.clusterOffset(disk.systemDatCluster()) + 100, "Windows ran");
        const std::string before = disk.fileContents();
        const std::string folder = test::fileContents(machine / "registry.reg");
        const auto restored = kavendel({"--machine", machine.string(), "--restore", "1"});
        EXPECT_EQ(restored.status, row.windowsRan ? 1 : 0) << restored.err;
        if (row.windowsRan) {
            EXPECT_NE(restored.err.find("so nothing was restored"), std::string::npos) << restored.err;
            EXPECT_TRUE(disk.fileContents() == before) << "the image changed";
            EXPECT_EQ(test::fileContents(machine / "registry.reg"), folder);
            continue;
        }
        EXPECT_EQ(disk.get("/WINDOWS/INF/ATIXBAR.INF"), std::string(70000, 'x'));
        EXPECT_FALSE(holdsFile(disk, "/KAVENDEL/CHANGES.REG"));
        const auto volume = openVolume(disk.raw(), std::nullopt);
        FatVolume fat(*volume);
        const auto systemDat =
            fat.find(std::string("C:\\") + test::Win98Image::WindowsFolder + "\\SYSTEM.DAT");
        ASSERT_TRUE(systemDat);
        EXPECT_TRUE(fat.read(*systemDat, 128u << 20) == test::fileContents(Hives / "SYSTEM.DAT"));
        EXPECT_EQ(fat.find("C:\\WINDOWS\\INF\\ATIXBAR.INF")->attributes & 0x03, 0x03)
            << "the deleted file comes back read-only and hidden, as it was";
        expectFsckClean(disk, here.path() / "volume");
        EXPECT_TRUE(imageUnchangedSinceImport(machine)) << "the record tells the image as restored";
        EXPECT_EQ(test::fileContents(ImageRecord::importedRegistry(machine)), imported)
            << "the baseline goes back with the files, so the machine's changes are unwritten again";
        EXPECT_TRUE(hasUnwrittenChanges(machine));

        // The snapshot that the restore took of the present undoes it, the image's files included.
        const auto undone = kavendel({"--machine", machine.string(), "--restore", "2"});
        ASSERT_EQ(undone.status, 0) << undone.err;
        EXPECT_EQ(disk.get("/WINDOWS/INF/ATI_9XAA.INF"), NewInf);
        EXPECT_TRUE(holdsFile(disk, "/KAVENDEL/CHANGES.REG"));
        EXPECT_EQ(test::fileContents(ImageRecord::importedRegistry(machine)), written);
        EXPECT_FALSE(hasUnwrittenChanges(machine));
        expectFsckClean(disk, here.path() / "volume");
        setMachineValues(machine, "\"Next\"=\"2\"\r\n");
        EXPECT_TRUE(writeBackToImage(machine).moved) << "the next write-back goes in";
    }
}

// File calls and program runs that do their work, and end the process at the given call, as a
// kill -9 there would.
class KillingCalls final : public ProgramRunner {
public:
    explicit KillingCalls(int killAt)
        : m_killAt(killAt) {
        calls.programs = this;
        calls.files.write = [this](int fd, const char* data, std::size_t size) {
            step();
            return ::write(fd, data, size);
        };
        calls.files.fsync = [this](int fd) {
            step();
            return ::fsync(fd);
        };
        calls.files.rename = [this](const char* from, const char* to) {
            step();
            return ::rename(from, to);
        };
        calls.unlink = [this](const char* path) {
            step();
            return ::unlink(path);
        };
    }
    ProgramResult run(const std::vector<std::string>& argv) override {
        step();
        return SystemProgramRunner().run(argv);
    }
    ImageCalls calls;

private:
    void step() {
        if (m_calls++ == m_killAt)
            ::raise(SIGKILL);
    }
    int m_killAt;
    int m_calls = 0;
};

// A write-back in a process of its own, killed at call killAt: whether it ran to its end.
bool writeBackKilledAt(const fs::path& machine, int killAt) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        KillingCalls killing(killAt);
        try {
            writeBackToImage(machine, killing.calls);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "the write-back failed";
    return WIFEXITED(status);
}

// The write-back killed at sampled calls of all of its file calls and program runs, in a raw image
// and a qcow2 one: once the next run has recovered, the image holds all of the changes or none,
// fsck.fat finds nothing wrong, and a second write-back with a new change goes in.
TEST_F(ImageImport, AWriteBackKilledAtAnyStepIsFinishedOrUndoneAndTheNextOneGoesIn) {
    const struct {
        const char* format;
        int stride; // a sample: each kill costs two write-backs, two conversions and fsck.fat
    } rows[] = {{"raw", 4}, {"qcow2", 2}};
    for (const auto& row : rows) {
        const std::string format = row.format;
        TemporaryFolder here;
        test::Win98Image disk(here.path(), DiskSize, 32);
        disk.installWindows(Hives);
        const fs::path image = format == "raw" ? disk.raw() : test::convertImage(disk.raw(), format);
        const fs::path machine = here.path() / "machine", pristine = here.path() / "pristine";
        importImage(machine, image, std::nullopt, test::notesInEnglish(m_notes));
        changeMachine(machine);
        const std::string oldInf = disk.get("/WINDOWS/INF/ATI_9XAA.INF");
        fs::create_directories(pristine);
        fs::copy(image, pristine / "image");
        fs::copy(machine, pristine / "machine", fs::copy_options::recursive);
        int undone = 0, done = 0;
        for (int cut = 0;; cut += row.stride) {
            SCOPED_TRACE(format + " killed at call " + std::to_string(cut));
            fs::copy_file(pristine / "image", image, fs::copy_options::overwrite_existing);
            fs::remove_all(machine);
            fs::copy(pristine / "machine", machine, fs::copy_options::recursive);
            const bool finished = writeBackKilledAt(machine, cut);
            recoverImageWrite(machine);
            rawBytes(image, format, disk.raw());
            const std::string inf = disk.get("/WINDOWS/INF/ATI_9XAA.INF");
            EXPECT_TRUE(inf == NewInf || inf == oldInf);
            (inf == NewInf ? done : undone) += 1;
            EXPECT_EQ(holdsFile(disk, "/KAVENDEL/CHANGES.REG"), inf == NewInf);
            expectFsckClean(disk, here.path() / "volume");
            std::ofstream(machine / "drive_c/WINDOWS/INF/ATI_9XAA.INF", std::ios::trunc) << "second";
            EXPECT_NO_THROW(writeBackToImage(machine));
            rawBytes(image, format, disk.raw());
            EXPECT_EQ(disk.get("/WINDOWS/INF/ATI_9XAA.INF"), "second");
            if (finished)
                break;
        }
        EXPECT_GT(undone, 0);
        EXPECT_GT(done, 1) << "some kills come after the image is written, and the recovery keeps it";
        std::cout << format << ": " << undone + done << " kill points, " << done << " finished\n";
    }
}

// Two machine folders imported from one image and written back at once: the second writes nothing
// and says another Kavendel is writing; the image then holds exactly what the first wrote.
TEST_F(ImageImport, OfTwoFoldersWritingIntoOneImageTheSecondWritesNothing) {
    for (const std::string format : {"raw", "qcow2"}) {
        SCOPED_TRACE(format);
        TemporaryFolder here;
        test::Win98Image disk(here.path(), DiskSize, 16);
        disk.installWindows(Hives);
        const fs::path image = format == "raw" ? disk.raw() : test::convertImage(disk.raw(), format);
        const fs::path machine = here.path() / "machine", other = here.path() / "other";
        importImage(machine, image, std::nullopt, test::notesInEnglish(m_notes));
        importImage(other, image, std::nullopt, test::notesInEnglish(m_notes));
        changeMachine(machine);
        changeMachine(other);
        std::ofstream(other / "registry.reg", std::ios::app) << "[HKEY_USERS\\.DEFAULT\\Other]\r\n\r\n";
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        const pid_t first = ::fork();
        if (first == 0) {
            ImageCalls paused;
            bool waited = false;
            paused.files.write = [&](int fd, const char* data, std::size_t size) {
                char c = 0;
                if (!waited && ::write(ready[1], "r", 1) == 1 && ::read(go[0], &c, 1) == 1)
                    waited = true;
                return ::write(fd, data, size);
            };
            try {
                writeBackToImage(machine, paused);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        const std::string whileWriting = test::fileContents(image);
        try {
            writeBackToImage(other);
            ADD_FAILURE() << "both wrote";
        } catch (const Failure& e) {
            EXPECT_NE(e.text().find("別の Kavendel が書き込んでいます"), std::string::npos) << e.text();
        }
        EXPECT_TRUE(test::fileContents(image) == whileWriting) << "the second wrote into the image";
        ASSERT_EQ(::write(go[1], "g", 1), 1);
        int status = 0;
        ::waitpid(first, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(imageUnchangedSinceImport(machine)) << "the image holds what the first wrote, all of it";
        rawBytes(image, format, disk.raw());
        expectFsckClean(disk, here.path() / "volume");
        for (int fd : {ready[0], ready[1], go[0], go[1]})
            ::close(fd);
    }
}

} // namespace
