// The registry file on disk: sharing, reloading, merging and failed writes.
#include "RegistryFileStore.h"
#include "RegistryFileStoreAppend.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
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

const std::string Original = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"1\"\r\n";

TEST_F(FileStoreTest, EachStoreIsOnDiskWhenItReturnsAndTheFileIsFoldedWhenTheStoreIsReleased) {
    auto first = RegistryFileStore::open(file);
    {
        TSettingsAccessor reg(*first);
        reg.OpenPath("\\SOFTWARE\\K");
        reg.StoreText("B", "2");
        EXPECT_EQ(loadText(*RegistryFileStore::open(file), "\\software\\k", "b"), "2");
        EXPECT_EQ(read(), Original + "\r\n" + std::string(appended::Marker) +
                              "\r\n\r\n; Kavendel: next change, 42 bytes\r\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"B\"=\"2\"\r\n");
        const std::string before = read();
        reg.StoreText("b", "2"); // unchanged: nothing is written
        EXPECT_EQ(read(), before);
    }
    first.reset();
    EXPECT_EQ(read(), Original + "\"B\"=\"2\"\r\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(FileStoreTest, TheFileWrittenWholeKeepsItsOwnerGroupAndMode) {
    // Run as root, the file first goes to another user, whose it must stay.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 4321 : ::geteuid();
    const gid_t group = root ? 4322 : ::getegid();
    ASSERT_EQ(::chown(file.c_str(), owner, group), 0);
    ::chmod(file.c_str(), 0604);
    {
        auto store = RegistryFileStore::open(file);
        storeText(*store, "\\SOFTWARE\\K", "A", "2");
        store->compact();
    }
    EXPECT_NE(read().find("\"A\"=\"2\""), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    if (!root)
        GTEST_SKIP() << "only root can give a file to another user";
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
}

TEST_F(FileStoreTest, ARegistryFileReachedThroughALinkIsLockedAndWrittenWhereTheLinkPoints) {
    fs::create_directories(dir / "kept");
    fs::rename(file, dir / "kept" / "registry.reg");
    fs::create_symlink(dir / "kept" / "registry.reg", file);
    auto viaLink = RegistryFileStore::open(file);
    auto direct = RegistryFileStore::open(dir / "kept" / "registry.reg");
    storeText(*viaLink, "\\SOFTWARE\\K", "B", "2");
    storeText(*direct, "\\SOFTWARE\\K", "C", "3");
    viaLink.reset();
    direct.reset();
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(read(), Original + "\"B\"=\"2\"\r\n\"C\"=\"3\"\r\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"kept", "registry.reg"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), fs::directory_iterator()), 2); // the lock
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
    auto fresh = RegistryFileStore::open(file);
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "FromOne"), "1");
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "FromTwo"), "2");
    EXPECT_EQ(loadText(*fresh, "\\SOFTWARE\\K", "A"), "changed");
    EXPECT_EQ(loadText(*two, "\\SOFTWARE\\K", "FromOne"), "1"); // the merge shows in the writer's tree
}

TEST_F(FileStoreTest, EditorChangesAreSeenByTheNextAccessorAndKeptByTheNextWrite) {
    // Same size, written in place, as an editor may, right after a load or a store: within one
    // clock tick the file's times may not change at all.
    auto store = RegistryFileStore::open(file);
    for (int round = 0; round < 20; ++round) {
        const std::string digit = std::to_string(round % 10);
        write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"" + digit + "\"\r\n");
        ASSERT_EQ(loadText(*store, "\\SOFTWARE\\K", "A"), digit) << "round " << round;
        storeText(*store, "\\SOFTWARE\\K", "A", "x");
        std::string edited = read();
        edited[edited.size() - 4] = 'y';
        write(edited);
        ASSERT_EQ(loadText(*store, "\\SOFTWARE\\K", "A"), "y") << "round " << round;
    }

    write("REGEDIT4\r\n; edited\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"8\"\r\n");
    storeText(*store, "\\SOFTWARE\\K", "Mine", "1");
    store.reset();
    EXPECT_EQ(
        read(),
        "REGEDIT4\r\n; edited\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"8\"\r\n\"Mine\"=\"1\"\r\n");
}

TEST_F(FileStoreTest, FileTurnedToGarbageIsNeverWritten) {
    auto store = RegistryFileStore::open(file);
    TSettingsAccessor reg(*store);
    reg.OpenPath("\\SOFTWARE\\K");
    write("\xFF\xFE<\0h\0t\0m\0l\0>\0");
    const std::string garbage = read();
    try {
        reg.StoreText("Name", "1");
        FAIL() << "stored into a file that is not REGEDIT4";
    } catch (const Failure& e) {
        EXPECT_STREQ(e.what(), "'Name' の設定に失敗しました");
    }
    store.reset();
    EXPECT_EQ(read(), garbage);
}

TEST_F(FileStoreTest, UnusableFilesAreRefusedNamingFileAndReason) {
    write("REGEDIT4\r\n\0\0\0"s);
    try {
        RegistryFileStore::open(file);
        FAIL();
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()), file.string() + ": バイナリデータで、REGEDIT4 形式ではありません");
    }
    try {
        RegistryFileStore::open(dir / "missing.reg");
        FAIL();
    } catch (const Failure& e) {
        EXPECT_EQ(e.reason(), systemReason(ENOENT));
    }
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
    store.reset();
    EXPECT_EQ(read(),
              "REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
              "[HKEY_USERS\\.DEFAULT\\Software\\X]\r\n\"N\"=dword:00000001\r\n");
}

struct FaultRow {
    const char* label;
    std::size_t bytesBeforeFailure; // written before write() fails
    int error;
    bool failFsync; // every write succeeds, the fsync fails
};

const FaultRow FaultRows[] = {
    {"DiskFullAtOnce", 0, ENOSPC, false},
    {"IoErrorHalfway", 40, EIO, false},
    {"DiskFullHalfway", 40, ENOSPC, false},
    {"FsyncFails", 0, EIO, true},
};

class FaultTest : public FileStoreTest, public ::testing::WithParamInterface<FaultRow> {
protected:
    FileCalls failingCalls() {
        FileCalls calls;
        calls.write = [this](int fd, const char* data, std::size_t size) -> ssize_t {
            const FaultRow& row = GetParam();
            if (!failing || row.failFsync)
                return ::write(fd, data, size);
            if (written >= row.bytesBeforeFailure) {
                errno = row.error;
                return -1;
            }
            const ssize_t n = ::write(fd, data, std::min(size, row.bytesBeforeFailure - written));
            written += static_cast<std::size_t>(n);
            return n;
        };
        calls.fsync = [this](int fd) {
            if (failing && GetParam().failFsync) {
                errno = GetParam().error;
                return -1;
            }
            return ::fsync(fd);
        };
        return calls;
    }
    bool failing = true;
    std::size_t written = 0;
};

TEST_P(FaultTest, AFailedStoreIsReportedAtOnceAndNeverWrittenLater) {
    auto store = RegistryFileStore::open(file, failingCalls());
    const std::string before = read();
    TSettingsAccessor reg(*store);
    reg.OpenPathForReading("\\SOFTWARE\\K");
    try {
        reg.StoreText("Big", std::string(500, 'x'));
        FAIL() << "the failed write was reported as success";
    } catch (const Failure& e) {
        EXPECT_STREQ(e.what(), "'Big' の設定に失敗しました");
        EXPECT_EQ(e.reason(), systemReason(GetParam().error)); // the system's reason reaches the user
    }
    EXPECT_EQ(read(), before);
    EXPECT_EQ(entries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    EXPECT_FALSE(reg.ValuePresent("Big")); // what the store holds is what the file holds

    // Nor does a later store carry the failed one to the disk.
    failing = false;
    reg.StoreText("Small", "1");
    store.reset();
    EXPECT_EQ(read(), Original + "\"Small\"=\"1\"\r\n");
}

TEST_P(FaultTest, AFailedKeyCreationOrRemovalChangesNothing) {
    auto store = RegistryFileStore::open(file, failingCalls());
    const std::string before = read();
    TSettingsAccessor reg(*store);
    ASSERT_TRUE(reg.OpenPath("\\SOFTWARE\\K"));
    EXPECT_FALSE(reg.OpenPath("\\SOFTWARE\\New"));
    EXPECT_THROW(reg.StoreText("A", "into the key opened before"), Failure);
    EXPECT_FALSE(reg.RemovePath("\\SOFTWARE\\K"));
    EXPECT_TRUE(reg.PathExists("\\SOFTWARE\\K"));
    EXPECT_FALSE(reg.PathExists("\\SOFTWARE\\New"));
    store.reset();
    EXPECT_EQ(read(), before);
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

// What ends the file after a confirmed append, then a second append C. Part of C that a writer
// killed in the middle of its one write left never returned: it reads as not there, and the
// next write cuts it off. Anything else is another program's change, read and kept.
struct EndRow {
    const char* label;
    const char* cutBefore; // C is cut where this first begins in it, moved by shift; null: at its end
    int shift;
    const char* added; // what another program then adds
    bool made;         // whether C reads as made
};

const EndRow EndRows[] = {
    {"CutInTheOpeningLine", " bytes", 0, "", false},
    {"CutAfterTheOpeningLine", "[HKEY", 0, "", false},
    {"CutInTheKeyLine", "SOFTWARE", 0, "", false},
    {"CutAfterTheKeyLine", "\"C\"", 0, "", false},
    {"CutInAHexList", ",\\\r\n", -1, "", false},
    {"CutAtALineEndInAHexList", ",\\\r\n", 4, "", false},
    {"CutBetweenTheLastCrAndLf", nullptr, -1, "", true},
    {"LastLineEndRemovedByAnEditor", nullptr, -2, "", true},
    {"AnotherProgramsSectionWithNoLineEnd", nullptr, 0,
     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\User]\r\n\"u\"=\"1\"", true},
    {"AnotherProgramsSectionAfterALineEndRemoved", nullptr, -2,
     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\User]\r\n\"u\"=\"1\"", true},
};

class EndTest : public FileStoreTest, public ::testing::WithParamInterface<EndRow> {};

TEST_P(EndTest, OnlyWhatAKilledAppendLeftIsCutOff) {
    const EndRow& row = GetParam();
    std::string bytes(40, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i);
    std::string confirmed, whole;
    {
        auto store = RegistryFileStore::open(file);
        storeText(*store, "\\SOFTWARE\\K", "B", "2");
        confirmed = read();
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\K");
        reg.StoreBytes("C", bytes.data(), bytes.size());
        whole = read();
    }
    const std::string_view c = std::string_view(whole).substr(confirmed.size());
    const std::size_t cut = row.cutBefore ? c.find(row.cutBefore) : c.size();
    ASSERT_NE(cut, std::string_view::npos);
    write(confirmed + std::string(c.substr(0, cut + static_cast<std::size_t>(row.shift))) + row.added);
    const auto check = [&](RegistryFileStore& store, const char* when) {
        const RegKey* k = store.tree().find({"HKEY_LOCAL_MACHINE", "SOFTWARE", "K"});
        ASSERT_NE(k, nullptr) << when;
        EXPECT_TRUE(store.malformedLines().empty()) << when;
        EXPECT_EQ(k->value("B") ? k->value("B")->data : "", "2\0"s) << when;
        EXPECT_EQ(k->value("C") ? k->value("C")->data : "", row.made ? bytes : "") << when;
        EXPECT_EQ(loadText(store, "\\SOFTWARE\\User", "u"), *row.added ? "1" : "") << when;
    };
    auto store = RegistryFileStore::open(file);
    check(*store, "as loaded");
    storeText(*store, "\\SOFTWARE\\K", "D", "4");
    if (!row.made) {
        EXPECT_EQ(read().find("\"C\""), std::string::npos) << read();
    }
    check(*RegistryFileStore::open(file), "after the next store");
    store.reset();
    check(*RegistryFileStore::open(file), "after the release");
    EXPECT_EQ(loadText(*RegistryFileStore::open(file), "\\SOFTWARE\\K", "D"), "4");
}

INSTANTIATE_TEST_SUITE_P(Rows, EndTest, ::testing::ValuesIn(EndRows),
                         [](const auto& info) { return std::string(info.param.label); });

// Large enough to be read through a mapping, its last key more than 2 MB in.
std::string largeRegistry() {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; text.size() < (9u << 18); ++i)
        text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Filler\\K" + std::to_string(i) + "]\r\n\"V\"=\"" +
                std::string(4000, 'x') + "\"\r\n";
    return text + "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Last]\r\n\"A\"=\"1\"\r\n";
}

TEST_F(FileStoreTest, AFileCutShortInPlaceUnderALoadedStoreIsReadAgainAndNeverCopied) {
    write(largeRegistry());
    const std::string edit = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"B\"=\"2\"\r\n";
    {
        // The last key's lines now lie past the file's end: looking at them ends nothing.
        auto store = RegistryFileStore::open(file);
        write(edit);
        ASSERT_NE(store->tree().find({"HKEY_LOCAL_MACHINE", "SOFTWARE", "Last"}), nullptr);
        store->tree().find({"HKEY_LOCAL_MACHINE", "SOFTWARE", "Last"})->value("A");
        EXPECT_EQ(loadText(*store, "\\SOFTWARE\\Other", "B"), "2");
        storeText(*store, "\\SOFTWARE\\Other", "C", "3");
    }
    EXPECT_EQ(read(), edit + "\"C\"=\"3\"\r\n");

    // Cut short, or changed in place, while the file is being written whole: the lines copied
    // from it are no longer its lines, so the new file is given up and the edit stays.
    for (const bool shorter : {true, false}) {
        write(largeRegistry());
        std::string other;
        FileCalls calls;
        calls.write = [&](int fd, const char* data, std::size_t size) {
            if (other.empty() && size >= (1u << 19)) {
                other = read();
                other.resize(shorter ? other.size() / 2 : other.size());
                other[other.size() / 4] = 'y';
                write(other);
            }
            return ::write(fd, data, size);
        };
        auto store = RegistryFileStore::open(file, calls);
        storeText(*store, "\\SOFTWARE\\Last", "A", "2");
        EXPECT_THROW(store->compact(), Failure) << shorter;
        EXPECT_FALSE(other.empty());
        EXPECT_TRUE(read() == other) << shorter;
    }
}

TEST_F(FileStoreTest, KillingAWriterLeavesEveryStoreThatReturnedAndNoTornFile) {
    // Each round stores a counter, padding whose size follows it, then its mirror, each store
    // durable on its own: a kill leaves a prefix of that order, so the mirror is the counter or
    // one behind, and the padding belongs to one of the two.
    const auto padding = [](int n) { return std::string(static_cast<std::size_t>(n % 5) * 20000, 'p'); };
    int roundsWithWrites = 0;
    for (int round = 0; round < 12; ++round) {
        write(Original);
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
        if (counter.empty())
            continue;
        ++roundsWithWrites;
        const int n = std::stoi(counter);
        const std::string mirror = loadText(*store, "\\SOFTWARE\\K", "Mirror");
        const std::string padded = loadText(*store, "\\SOFTWARE\\K", "Padding");
        const std::string mirrorBefore = n == 0 ? "" : std::to_string(n - 1);
        const std::string paddingBefore = n == 0 ? "" : padding(n - 1);
        if (mirror == counter)
            EXPECT_EQ(padded, padding(n)) << "round " << round;
        else
            EXPECT_TRUE(mirror == mirrorBefore && (padded == padding(n) || padded == paddingBefore))
                << "round " << round << ": counter " << n << ", mirror " << mirror;
    }
    EXPECT_GT(roundsWithWrites, 6); // the kills did fall among writes
}

TEST_F(FileStoreTest, TheNextWriterClearsOnlyTemporariesThatKilledWritersLeft) {
    const auto temporary = [&](const char* name, std::string_view text) {
        std::ofstream(dir / name) << text;
        fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(5));
    };
    temporary(".registry.reg.Ab12Cd", "half a file");
    temporary(".registry.reg.InUse1", "another writer's, locked");
    temporary(".registry.reg.notours", "kept");
    std::ofstream(dir / ".registry.reg.Young1") << "just made, not locked yet";
    const int inUse = ::open((dir / ".registry.reg.InUse1").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
    storeText(*RegistryFileStore::open(file), "\\SOFTWARE\\K", "B", "2");
    ::close(inUse);
    EXPECT_EQ(entries(),
              (std::vector<std::string>{".registry.reg.InUse1", ".registry.reg.Young1",
                                        ".registry.reg.notours", "registry.reg", "registry.reg.lock"}));
}

TEST_F(FileStoreTest, AnythingButARegularFileIsRefusedWithoutOpeningIt) {
    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    try {
        RegistryFileStore::open(file); // opening a FIFO would wait for a writer for good
        FAIL();
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()), file.string() + ": 通常のファイルではありません");
    }
}

// Files whose end changes how text after it reads. Each store must leave the file reading as
// the old tree plus the change, whether it is appended or the file is written whole.
struct TailRow {
    const char* label;
    const char* text;
};

const TailRow TailRows[] = {
    {"HexContinuedAtTheEnd", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"H\"=hex:01,02,\\"},
    {"HexContinuedThenLineBreak", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"H\"=hex:01,02,\\\r\n"},
    {"HexContinuedThenComment", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"H\"=hex:01,\\\r\n; note\r\n"},
    {"NoLineBreakAtTheEnd", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"S\"=\"v\""},
    {"UnclosedStringAtTheEnd", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"S\"=\"v"},
    {"UnclosedKeyLineAtTheEnd", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n[HKEY_LOCAL_MACHINE\\L"},
    {"LoneCrLineEnds", "REGEDIT4\r[HKEY_LOCAL_MACHINE\\K]\r\"S\"=\"v\"\r"},
    {"HeaderOnly", "REGEDIT4"},
};

class TailTest : public FileStoreTest, public ::testing::WithParamInterface<TailRow> {};

TEST_P(TailTest, AStoreNeverChangesHowTheRestOfTheFileReads) {
    write(GetParam().text);
    const Change changes[] = {
        {Change::Kind::SetValue, {"HKEY_LOCAL_MACHINE", "K"}, RegValue{"N", RegNumber, "\x04\0\0\0"s}},
        {Change::Kind::SetValue, {"HKEY_LOCAL_MACHINE", "K", "Sub"}, RegValue{"B", RegBinary, "\x01\x02"}},
        {Change::Kind::RemoveKey, {"HKEY_LOCAL_MACHINE", "K", "Sub"}, {}},
        {Change::Kind::CreateKey, {"HKEY_LOCAL_MACHINE", "K", "Sub"}, {}},
    };
    RegistryDocument expected = RegistryDocument::parse(GetParam().text);
    auto store = RegistryFileStore::open(file);
    for (const auto& change : changes) {
        store->apply(change);
        expected.apply(change);
        EXPECT_EQ(RegistryDocument::parse(read()).tree(), expected.tree()) << read();
        EXPECT_EQ(store->tree(), expected.tree());
    }
    store.reset();
    EXPECT_EQ(RegistryDocument::parse(read()).tree(), expected.tree()) << read();
}

INSTANTIATE_TEST_SUITE_P(Rows, TailTest, ::testing::ValuesIn(TailRows),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
