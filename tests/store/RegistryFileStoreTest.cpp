// The registry file on disk: sharing, reloading, merging and failed writes.
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class FileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kavendel-reg-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "registry.reg";
        write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"1\"\r\n");
    }
    void TearDown() override { fs::remove_all(dir); }

    void write(std::string_view bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string read() const {
        std::ostringstream out;
        out << std::ifstream(file, std::ios::binary).rdbuf();
        return out.str();
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string loadText(RegistryFileStore& store, std::string_view path, std::string_view name) {
        TSettingsAccessor reg(store);
        reg.OpenPathForReading(path);
        return reg.LoadText(name);
    }
    static void storeText(RegistryFileStore& store, std::string_view path, std::string_view name,
                          std::string_view text) {
        TSettingsAccessor reg(store);
        reg.OpenPath(path);
        reg.StoreText(name, text);
    }

    fs::path dir;
    fs::path file;
};

TEST_F(FileStoreTest, StoreIsOnDiskWhenTheAccessorIsFreedWithMinimalDiff) {
    auto first = RegistryFileStore::open(file);
    storeText(*first, "\\SOFTWARE\\K", "B", "2");
    EXPECT_EQ(read(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"1\"\r\n\"B\"=\"2\"\r\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    EXPECT_EQ(loadText(*RegistryFileStore::open(file), "\\software\\k", "b"), "2");
}

TEST_F(FileStoreTest, ARegistryFileReachedThroughALinkIsWrittenWhereTheLinkPoints) {
    fs::create_directories(dir / "kept");
    fs::rename(file, dir / "kept" / "registry.reg");
    fs::create_symlink(dir / "kept" / "registry.reg", file);
    storeText(*RegistryFileStore::open(file), "\\SOFTWARE\\K", "B", "2");
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(read(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"1\"\r\n\"B\"=\"2\"\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), fs::directory_iterator()),
              1); // no temporaries
}

TEST_F(FileStoreTest, TwoStoresOnOneFileLoseNeitherChange) {
    auto one = RegistryFileStore::open(file);
    auto two = RegistryFileStore::open(file);
    TSettingsAccessor a(*one);
    TSettingsAccessor b(*two);
    a.OpenPath("\\SOFTWARE\\K");
    b.OpenPath("\\SOFTWARE\\K");
    a.StoreText("FromOne", "1");
    b.StoreText("FromTwo", "2");
    b.StoreText("A", "changed");
    a.Flush();
    b.Flush();
    auto fresh = RegistryFileStore::open(file);
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "FromOne"), "1");
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "FromTwo"), "2");
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "A"), "changed");
    EXPECT_EQ(loadText(*two, "\\SOFTWARE\\K", "FromOne"), "1"); // the merge shows in the writer's tree
}

TEST_F(FileStoreTest, EditorChangesAreSeenByTheNextAccessorAndKeptByTheNextWrite) {
    auto store = RegistryFileStore::open(file);
    EXPECT_EQ(loadText(*store, "\\SOFTWARE\\K", "A"), "1");
    // Same size, written in place, as an editor may: only the stamp tells.
    write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"9\"\r\n");
    EXPECT_EQ(loadText(*store, "\\SOFTWARE\\K", "A"), "9");

    TSettingsAccessor reg(*store);
    reg.OpenPath("\\SOFTWARE\\K");
    reg.StoreText("Mine", "1");
    write("REGEDIT4\r\n; edited\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"8\"\r\n");
    reg.Flush();
    EXPECT_EQ(
        read(),
        "REGEDIT4\r\n; edited\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"8\"\r\n\"Mine\"=\"1\"\r\n");
}

TEST_F(FileStoreTest, FileTurnedToGarbageIsNeverWritten) {
    auto store = RegistryFileStore::open(file);
    TSettingsAccessor reg(*store);
    reg.OpenPath("\\SOFTWARE\\K");
    reg.StoreText("Name", "1");
    write("\xFF\xFE<\0h\0t\0m\0l\0>\0");
    const std::string garbage = read();
    try {
        reg.Flush();
        FAIL() << "flushed into a file that is not REGEDIT4";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "'Name' の設定に失敗しました");
    }
    EXPECT_EQ(read(), garbage);
}

TEST_F(FileStoreTest, UnusableFilesAreRefusedNamingFileAndReason) {
    write("REGEDIT4\r\n\0\0\0"s);
    try {
        RegistryFileStore::open(file);
        FAIL();
    } catch (const RegistryFileError& e) {
        EXPECT_EQ(std::string(e.what()), file.string() + ": バイナリデータで、REGEDIT4 形式ではありません");
    }
    EXPECT_THROW(RegistryFileStore::open(dir / "missing.reg"), RegistryFileError);
}

TEST_F(FileStoreTest, MalformedLinesAreListedFromTheFile) {
    write("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=hex:1,2,3x\r\n");
    const auto store = RegistryFileStore::open(file);
    ASSERT_EQ(store->malformedLines().size(), 1u);
    EXPECT_EQ(store->malformedLines()[0].text(), "registry.reg:3: 16 進の並びが不正です");
}

TEST_F(FileStoreTest, CurrentUserIsUsersDefaultInAWholeExport) {
    write("REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n");
    auto store = RegistryFileStore::open(file);
    {
        TSettingsAccessor reg(*store);
        reg.SelectRoot(RootKey::CurrentUser);
        reg.OpenPath("\\Software\\X");
        reg.StoreNumber("N", 1);
    }
    EXPECT_EQ(read(),
              "REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
              "[HKEY_USERS\\.DEFAULT\\Software\\X]\r\n\"N\"=dword:00000001\r\n");
}

struct FaultRow {
    const char* label;
    std::size_t bytesBeforeFailure;
    int error;
};

const FaultRow FaultRows[] = {
    {"DiskFullAtOnce", 0, ENOSPC},
    {"IoErrorHalfway", 40, EIO},
    {"DiskFullHalfway", 40, ENOSPC},
};

class FaultTest : public FileStoreTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(FaultTest, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    bool failing = true;
    std::size_t written = 0;
    auto store = RegistryFileStore::open(file, [&](int fd, const char* data, std::size_t size) -> ssize_t {
        if (failing && written >= GetParam().bytesBeforeFailure) {
            errno = GetParam().error;
            return -1;
        }
        const std::size_t allowed = failing ? std::min(size, GetParam().bytesBeforeFailure - written) : size;
        const ssize_t n = ::write(fd, data, allowed);
        written += static_cast<std::size_t>(n);
        return n;
    });
    const std::string before = read();
    try {
        storeText(*store, "\\SOFTWARE\\K", "Big", std::string(500, 'x'));
        FAIL() << "the failed write was reported as success";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "'Big' の設定に失敗しました");
    }
    EXPECT_EQ(read(), before);
    EXPECT_EQ(entries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));

    // The change is still pending and reaches the disk with the next flush.
    failing = false;
    storeText(*store, "\\SOFTWARE\\K", "Small", "1");
    EXPECT_EQ(loadText(*RegistryFileStore::open(file), "\\SOFTWARE\\K", "Big"), std::string(500, 'x'));
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTest, ::testing::ValuesIn(FaultRows),
                         [](const auto& info) { return std::string(info.param.label); });

// Runs body in a child process; its exit status says whether it threw.
pid_t spawn(const std::function<void()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            body();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// "P1-7": the seventh value of writer 1. Built by appends: GCC 12 at -O3 warns (-Wrestrict)
// about a chain of string additions here.
std::string writerValueName(int process, int i) {
    std::string name = "P";
    name += std::to_string(process);
    name += '-';
    name += std::to_string(i);
    return name;
}

TEST_F(FileStoreTest, TwoProcessesStoringFiveHundredValuesEachLoseNone) {
    const auto writer = [&](int process) {
        return spawn([&, process] {
            auto store = RegistryFileStore::open(file);
            for (int i = 0; i < 500; ++i)
                storeText(*store, "\\SOFTWARE\\K", writerValueName(process, i), std::to_string(i));
        });
    };
    const pid_t one = writer(1), two = writer(2);
    ASSERT_EQ(exitStatus(one), 0);
    ASSERT_EQ(exitStatus(two), 0);
    auto store = RegistryFileStore::open(file);
    TSettingsAccessor reg(*store);
    reg.OpenPathForReading("\\SOFTWARE\\K");
    int missing = 0;
    for (int process = 1; process <= 2; ++process)
        for (int i = 0; i < 500; ++i)
            if (reg.LoadText(writerValueName(process, i)) != std::to_string(i))
                ++missing;
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(reg.LoadText("A"), "1");
}

TEST_F(FileStoreTest, KillingAWriterNeverLeavesATornOrEmptyFile) {
    // Each flush writes a counter, its mirror and padding whose size follows the counter, so
    // a file holding parts of two states shows.
    const auto padding = [](int n) { return std::string(static_cast<std::size_t>(n % 5) * 20000, 'p'); };
    int roundsWithWrites = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = spawn([&] {
            auto store = RegistryFileStore::open(file);
            for (int n = 0;; ++n) {
                TSettingsAccessor reg(*store);
                reg.OpenPath("\\SOFTWARE\\K");
                reg.StoreText("Counter", std::to_string(n));
                reg.StoreText("Padding", padding(n));
                reg.StoreText("Mirror", std::to_string(n));
            }
        });
        ::usleep(static_cast<useconds_t>(3000 + round * 7000));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(exitStatus(pid), 128 + SIGKILL);

        std::unique_ptr<RegistryFileStore> store;
        ASSERT_NO_THROW(store = RegistryFileStore::open(file)) << "round " << round;
        EXPECT_TRUE(store->malformedLines().empty());
        EXPECT_EQ(loadText(*store, "\\SOFTWARE\\K", "A"), "1");
        const std::string counter = loadText(*store, "\\SOFTWARE\\K", "Counter");
        EXPECT_EQ(loadText(*store, "\\SOFTWARE\\K", "Mirror"), counter) << "round " << round;
        if (!counter.empty()) {
            ++roundsWithWrites;
            EXPECT_EQ(loadText(*store, "\\SOFTWARE\\K", "Padding"), padding(std::stoi(counter)));
        }
    }
    EXPECT_GT(roundsWithWrites, 6); // the kills did fall among writes
}

TEST_F(FileStoreTest, TheNextWriterClearsTemporariesThatKilledWritersLeft) {
    std::ofstream(dir / ".registry.reg.Ab12Cd") << "half a file";
    std::ofstream(dir / ".registry.reg.notours") << "kept";
    auto store = RegistryFileStore::open(file);
    {
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\K");
        reg.StoreText("B", "2");
    }
    EXPECT_EQ(entries(),
              (std::vector<std::string>{".registry.reg.notours", "registry.reg", "registry.reg.lock"}));
}

} // namespace
