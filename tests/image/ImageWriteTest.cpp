// Writing into images: every format keeps all other bytes, a VHD its identity and a qcow2 its
// backing file; refusals before anything is written; and an interrupted write, cut at every
// point, recovers to the old image or the new one.
#include "DiskImage.h"
#include "EnglishText.h"
#include "ImageBuilder.h"
#include "ImageLock.h"
#include "TemporaryFolder.h"
#include "WriteJournal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

using namespace kv;
using namespace kv::image;

namespace {

constexpr std::uint64_t DiskSize = 32ull << 20;

// About 64 KB in twenty runs across the volume: sector-aligned and not, touching, overlapping.
std::vector<VolumeWrite> scatteredWrites(std::uint64_t volumeSize) {
    std::vector<VolumeWrite> writes;
    for (int i = 0; i < 20; ++i) {
        const std::uint64_t offset = (static_cast<std::uint64_t>(i) * 2'999'999) % (volumeSize - 8192);
        writes.push_back({offset + static_cast<std::uint64_t>(i % 3),
                          std::string(3000 + 10 * i, static_cast<char>('A' + i))});
    }
    writes.push_back({writes[4].offset + 100, "overlaps the fifth run"});
    writes.push_back({writes[5].offset + writes[5].bytes.size(), "touches the sixth"});
    return writes;
}

// What the raw disk holds after the writes, applied one by one.
std::string withWrites(std::string disk, std::uint64_t volumeOffset, const std::vector<VolumeWrite>& writes) {
    for (const VolumeWrite& write : writes)
        disk.replace(volumeOffset + write.offset, write.bytes.size(), write.bytes);
    return disk;
}

std::size_t bytesCovered(const std::vector<VolumeWrite>& writes) {
    std::set<std::uint64_t> covered;
    for (const VolumeWrite& write : writes)
        for (std::uint64_t i = 0; i < write.bytes.size(); ++i)
            covered.insert(write.offset + i);
    return covered.size();
}

std::string diskAsRaw(const std::filesystem::path& image, const std::string& format,
                      const std::filesystem::path& out) {
    test::runTool({"qemu-img", "convert", "-U", "-f", format, "-O", "raw", image.string(), out.string()});
    std::string bytes = test::fileContents(out);
    std::filesystem::remove(out);
    return bytes;
}

// A VHD's unique identity lies in its footer, the file's last sector.
std::string vhdIdentity(const std::filesystem::path& image) {
    const std::string bytes = test::fileContents(image);
    return bytes.substr(bytes.size() - 512 + 68, 16);
}

std::string backingOf(const std::filesystem::path& image) {
    const std::string info = test::runTool({"qemu-img", "info", "-U", image.string()}).out;
    const auto at = info.find("backing file:");
    return at == std::string::npos ? std::string() : info.substr(at, info.find('\n', at) - at);
}

TEST(ImageWrite, EveryFormatTakesTheWritesAndKeepsEverythingElse) {
    TemporaryFolder folder;
    const auto raw = test::buildFatDisk(folder.path() / "disk.img", DiskSize);
    const std::string rawBefore = test::fileContents(raw);
    for (const std::string build :
         {"raw", "vpc", "vpc-fixed", "qcow2", "overlay", "vdi", "odd name", "vmdk", "vhdx"}) {
        SCOPED_TRACE(build);
        std::filesystem::path file = folder.path() / "copy.img";
        std::filesystem::copy_file(raw, file, std::filesystem::copy_options::overwrite_existing);
        if (build == "overlay")
            file = test::makeOverlay(test::convertImage(raw, "qcow2"), folder.path() / "overlay.qcow2");
        else if (build == "odd name") // qemu's options need its comma doubled, qemu-io's commands no blank
            std::filesystem::rename(test::convertImage(raw, "qcow2"),
                                    file = folder.path() / "Win 98, SE.qcow2");
        else if (build != "raw")
            file = test::convertImage(raw, build);
        const std::string base = build == "overlay" ? test::fileContents(folder.path() / "disk.qcow2") : "";
        const std::string identity = build.starts_with("vpc") ? vhdIdentity(file) : "";
        const std::string backing = backingOf(file);
        const auto sizeBefore = std::filesystem::file_size(file);
        test::RecordingRunner runner;
        const ImageCalls calls{&runner, {}, {}};
        const auto volume = openVolume(file, std::nullopt, calls);
        const auto writes = scatteredWrites(volume->location().size);
        runner.runs.clear();
        const TransferCounters moved =
            writeAtomically(volume->location(), writes, folder.path() / "journal", calls);
        EXPECT_LE(runner.runs.size(), build == "raw" ? 0u : 2u) << "one run to read, one to write";
        const std::string expected = withWrites(rawBefore, volume->location().offset, writes);
        EXPECT_TRUE(
            diskAsRaw(file, volume->location().format, folder.path() / "out.raw").substr(0, DiskSize) ==
            expected);
        EXPECT_EQ(moved.bytesWritten, bytesCovered(writes));
        EXPECT_GE(moved.bytesRead, moved.bytesWritten);
        EXPECT_LE(moved.bytesRead, moved.bytesWritten + 20 * 1024);
        EXPECT_FALSE(std::filesystem::exists(journalFile(folder.path() / "journal")));
        if (build.starts_with("vpc")) {
            EXPECT_EQ(vhdIdentity(file), identity);
        }
        // Twenty runs can make at most twenty new blocks: 2 MB of a dynamic VHD, 8 MB of a VHDX.
        const std::uint64_t block = build == "vhdx" ? 8u << 20 : 2u << 20;
        EXPECT_LE(std::filesystem::file_size(file) - sizeBefore, 20u * (block + 512));
        EXPECT_EQ(backingOf(file), backing);
        // Written again where it now holds data, the image does not grow at all.
        const auto sizeAfter = std::filesystem::file_size(file);
        auto again = writes;
        for (VolumeWrite& write : again)
            write.bytes.assign(write.bytes.size(), 'z');
        writeAtomically(volume->location(), again, folder.path() / "journal", calls);
        EXPECT_EQ(std::filesystem::file_size(file), sizeAfter);
        if (build == "overlay") {
            EXPECT_TRUE(test::fileContents(folder.path() / "disk.qcow2") == base)
                << "the backing file is untouched";
        }
    }
}

// A program left running in the background, ended (by its own process id) when the test ends.
class BackgroundProgram {
public:
    explicit BackgroundProgram(const std::vector<std::string>& argv) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        m_pid = startProgram(argv, null, null);
        ::close(null);
    }
    ~BackgroundProgram() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Waits until the program holds a lock on file or, taking none, has opened it.
    bool holdsLockOn(const std::filesystem::path& file, bool locking) const {
        for (int i = 0; i < 100 && m_pid > 0; ++i) {
            const int fd = ::open(file.c_str(), O_RDONLY);
            const bool locked = locking ? lockedByOthers(fd) : openedByOthers(file);
            ::close(fd);
            if (locked)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    pid_t m_pid = 0;
};

bool installed(const char* program) {
    image::SystemProgramRunner runner;
    return runner.run({program, "--version"}).status == 0;
}

// A paused emulator and a qemu-io session each keep the write off, and nothing is written.
TEST(ImageWrite, AnImageInUseIsRefusedBeforeAnythingIsWritten) {
    if (!installed("qemu-system-i386"))
        GTEST_SKIP() << "qemu-system-i386 is not installed";
    TemporaryFolder folder;
    const auto raw = test::buildFatDisk(folder.path() / "disk.img", DiskSize);
    const auto qcow2 = test::convertImage(raw, "qcow2");
    const struct {
        std::filesystem::path file;
        std::vector<std::string> holder;
    } rows[] = {
        {raw,
         {"qemu-system-i386", "-S", "-display", "none", "-drive", "file=" + raw.string() + ",format=raw"}},
        {qcow2,
         {"qemu-system-i386", "-S", "-display", "none", "-drive",
          "file=" + qcow2.string() + ",format=qcow2"}},
        {raw, {"qemu-io", "-f", "raw", "-c", "sleep 60000", raw.string()}},
        // An emulator that takes no lock, as 86Box does.
        {raw,
         {"qemu-io", "--image-opts", "-c", "sleep 60000",
          "driver=raw,file.locking=off,file.filename=" + raw.string()}},
        {qcow2, {"qemu-io", "-f", "qcow2", "-c", "sleep 60000", qcow2.string()}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.holder.front() + " on " + row.file.filename().string());
        const std::string before = test::fileContents(row.file);
        const auto volume = openVolume(row.file, std::nullopt);
        BackgroundProgram holder(row.holder);
        ASSERT_TRUE(holder.holdsLockOn(row.file, row.holder.back().find("locking=off") == std::string::npos));
        for (const auto& attempt : std::vector<std::function<void()>>{
                 [&] { checkWritable(volume->location()); },
                 [&] {
                     writeAtomically(volume->location(), {{0, "new"}}, folder.path() / "journal");
                 }}) {
            try {
                attempt();
                ADD_FAILURE() << "written while in use";
            } catch (const Failure& e) {
                EXPECT_NE(e.text().find("エミュレータを終了してから"), std::string::npos) << e.text();
            }
        }
        EXPECT_TRUE(test::fileContents(row.file) == before);
        EXPECT_FALSE(std::filesystem::exists(journalFile(folder.path() / "journal")));
    }
}

// While Kavendel writes a raw image it holds QEMU's locks, so an emulator cannot start on it.
TEST(ImageWrite, AnEmulatorCannotStartOnAnImageBeingWritten) {
    if (!installed("qemu-system-i386"))
        GTEST_SKIP() << "qemu-system-i386 is not installed";
    TemporaryFolder folder;
    const auto raw = test::buildFatDisk(folder.path() / "disk.img", DiskSize);
    const int fd = ::open(raw.c_str(), O_RDWR);
    ASSERT_TRUE(holdWriterLocks(fd));
    image::SystemProgramRunner runner;
    const auto emulator = runner.run({"timeout", "20", "qemu-system-i386", "-S", "-display", "none", "-drive",
                                      "file=" + raw.string() + ",format=raw"});
    ::close(fd);
    EXPECT_EQ(emulator.status, 1) << emulator.err;
    EXPECT_NE(emulator.err.find("lock"), std::string::npos) << emulator.err;
}

TEST(ImageWrite, UnwritableImagesAndFoldersAndBadWritesAreRefused) {
    TemporaryFolder folder;
    const auto raw = test::buildFatDisk(folder.path() / "disk.img", 32ull << 20);
    const VolumeLocation where = openVolume(raw, std::nullopt)->location();
    const auto journal = folder.path() / "journal";
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::vector<VolumeWrite> writes;
        const char* message;
    } rows[] = {
        {"read-only image",
         [&] { std::filesystem::permissions(raw, std::filesystem::perms::owner_read); },
         {{0, "x"}},
         "is read-only: Kavendel may not write to it"},
        {"read-only folder",
         [&] {
             std::filesystem::create_directories(journal);
             std::filesystem::permissions(journal, std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_exec);
         },
         {{0, "x"}},
         "is read-only: Kavendel cannot keep the journal"},
        {"past the volume's end", [] {}, {{0, "x"}, {where.size - 1, "xy"}}, "runs past the volume's end"},
        {"changed since the plan read it",
         [] {},
         {{0, "x", test::fileContents(raw).substr(where.offset, 1)}, {3, "xy", "zz"}},
         "nothing was written"},
        {"unfinished earlier write",
         [&] {
             std::filesystem::create_directories(journal);
             std::ofstream(journalFile(journal)) << "x";
         },
         {{0, "x"}},
         "cut short"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.setUp();
        const std::string before = test::fileContents(raw);
        try {
            writeAtomically(where, row.writes, journal);
            ADD_FAILURE() << "written";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
        }
        EXPECT_TRUE(test::fileContents(raw) == before);
        std::filesystem::permissions(raw, std::filesystem::perms::owner_read |
                                              std::filesystem::perms::owner_write);
        std::error_code ignored;
        std::filesystem::permissions(journal, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(journal);
    }
    try {
        checkWritable(where, std::uint64_t{1} << 60, 1, journal);
        ADD_FAILURE() << "an exabyte fits";
    } catch (const Failure& e) {
        EXPECT_NE(e.text().find("がいっぱいです"), std::string::npos) << e.text();
    }
}

// What qemu-img and qemu-io say when they fail, or fail to start, reaches the user as a sentence,
// and a write that qemu-io refused leaves the image as it was.
TEST(ImageWrite, FailingProgramsAreToldAsSentences) {
    TemporaryFolder folder;
    const auto qcow2 = test::convertImage(test::buildFatDisk(folder.path() / "disk.img", DiskSize), "qcow2");
    const std::string locked = "qemu-io: can't open device " + qcow2.string() +
                               ": Failed to get \"write\" lock\nIs another process using the image [" +
                               qcow2.string() + "]?\n";
    const struct {
        std::vector<std::string> program;
        ProgramResult result;
        bool writing;
        const char* message;
    } rows[] = {
        {{"qemu-img", "info"},
         {-1, "", "", systemReason(ENOENT)},
         false,
         "cannot be read as a qcow2 image: qemu-img cannot be started: Kavendel needs the Debian package "
         "qemu-utils for this image: No such file or directory"},
        {{"qemu-img", "info"}, {0, "{}", "", {}}, false, "did not tell the size of its disk"},
        {{"qemu-img", "convert"},
         {1, "", "qemu-img: Could not open 'x': Input/output error\n", {}},
         false,
         "cannot be read: Could not open 'x': Input/output error"},
        {{"qemu-img", "convert"}, {0, "", "", {}}, false, "qemu-img returned 0 bytes for 512"},
        {{"qemu-io"}, {1, "", locked, {}}, true, "shut the emulator down first"},
        {{"qemu-io"},
         {0, "wrote 3/3 bytes at offset 1048576\n", "", {}},
         true,
         "qemu-io wrote 1 of 2 ranges"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program.front() + " " + row.result.err + row.result.out);
        const std::string before = test::fileContents(qcow2);
        test::FailingRunner runner(row.program, row.result);
        const ImageCalls calls{&runner, {}, {}};
        try {
            const auto volume = openVolume(qcow2, std::nullopt, row.writing ? ImageCalls{} : calls);
            writeAtomically(volume->location(), {{0, "new"}, {4096, "more"}}, folder.path() / "journal",
                            calls);
            ADD_FAILURE() << "no failure";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
        }
        EXPECT_GT(runner.answered, 0);
        recoverPendingWrite(folder.path() / "journal");
        EXPECT_TRUE(test::fileContents(qcow2) == before);
    }
}

// A program that Kavendel started ends with it, so that no qemu-io killed with Kavendel writes on
// while the next run recovers the image; a program that is not there fails to start, as such.
TEST(ImageWrite, ProgramsEndWithKavendelAndMissingOnesFailToStart) {
    EXPECT_EQ(SystemProgramRunner().run({"kavendel-no-such-program"}).startError, systemReason(ENOENT));
    TemporaryFolder folder;
    const std::string pidFile = (folder.path() / "pid").string();
    const pid_t kavendel = ::fork();
    if (kavendel == 0) {
        SystemProgramRunner().run(
            {"sh", "-c",
             "echo $$ > " + pidFile + ".new && mv " + pidFile + ".new " + pidFile + " && exec sleep 60"});
        ::_exit(0);
    }
    for (int i = 0; i < 250 && !std::filesystem::exists(pidFile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(kavendel, SIGKILL);
    ::waitpid(kavendel, nullptr, 0);
    const std::string pid = test::fileContents(pidFile);
    ASSERT_FALSE(pid.empty()) << "the program did not start";
    // Gone, or a zombie that nobody has reaped yet.
    const auto ended = [&] {
        const std::string stat = test::fileContents("/proc/" + pid.substr(0, pid.find('\n')) + "/stat");
        const auto state = stat.find(") ");
        return state == std::string::npos || stat[state + 2] == 'Z';
    };
    for (int i = 0; i < 250 && !ended(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(ended()) << "the program outlived the process that started it";
    if (!ended())
        ::kill(std::stoi(pid), SIGKILL);
}

} // namespace
