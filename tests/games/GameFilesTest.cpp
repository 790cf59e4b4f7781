// Game files through the machine folder: what cannot be read, and saves that are all or nothing.
#include "GameFiles.h"
#include "FileContents.h"
#include "MachineFolder.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

class GameFilesTest : public ::testing::Test {
protected:
    GameFilesTest()
        : machine(dir.path()) {
        machine.ensureCreated();
        fs::create_directories(machine.dir() / "drive_c" / "Games" / "3DSetup");
        put("3dsetup.ini", "old\r\n");
    }
    fs::path file(const char* name) const { return machine.dir() / "drive_c" / "Games" / "3DSetup" / name; }
    void put(const char* name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string contents(const char* name) const { return test::fileContents(file(name)); }
    std::size_t entriesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(file("").parent_path()), {}));
    }
    template <typename F> std::string errorOf(F&& action) const {
        try {
            action();
        } catch (const Failure& e) {
            return e.what();
        }
        return "(no error)";
    }

    kv::TemporaryFolder dir;
    MachineFolder machine;
};

TEST_F(GameFilesTest, ReadFindsNamesWithoutRegardToCase) {
    EXPECT_EQ(GameFiles(machine).read("C:\\GAMES\\3dsetup\\3DSETUP.INI"), "old\r\n");
}

TEST_F(GameFilesTest, WhatCannotBeReadIsAFileError) {
    GameFiles files(machine);
    // A 100 MB file costs nothing on disk when it is sparse.
    put("huge.ini", "");
    fs::resize_file(file("huge.ini"), 100u << 20);
    for (const char* path :
         {"C:\\Games\\3DSetup\\missing.ini", "C:\\Games\\..\\..\\..\\registry.reg", "C:\\Games\\3DSetup",
          "\\\\server\\share\\x.ini", "C:\\Games\\3DSetup\\huge.ini"})
        EXPECT_EQ(errorOf([&] { files.read(path); }), std::string("ファイル ") + path + " は開けません")
            << path;
}

TEST_F(GameFilesTest, SaveReplacesTheWholeFileAndKeepsItsOwnerGroupAndMode) {
    // Run as root, the file first goes to another user, whose it must stay.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 4321 : ::geteuid();
    const gid_t group = root ? 4322 : ::getegid();
    ASSERT_EQ(::chown(file("3dsetup.ini").c_str(), owner, group), 0);
    ::chmod(file("3dsetup.ini").c_str(), 02640);
    GameFiles(machine).save("C:\\Games\\3DSetup\\3dsetup.ini", std::string("new\0\xff\r\n", 7));
    EXPECT_EQ(contents("3dsetup.ini"), std::string("new\0\xff\r\n", 7));
    struct stat st {};
    ASSERT_EQ(::stat(file("3dsetup.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 02640u);
    EXPECT_EQ(entriesInFolder(), 1u); // no temporary file left behind
    if (!root)
        GTEST_SKIP() << "only root can give a file to another user";
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
}

TEST_F(GameFilesTest, SaveSweepsTheTemporaryFileAKilledSaveLeft) {
    put(".3dsetup.ini.Ab12Cd", "half a file");
    fs::last_write_time(file(".3dsetup.ini.Ab12Cd"),
                        fs::file_time_type::clock::now() - std::chrono::minutes(5));
    GameFiles(machine).save("C:\\Games\\3DSetup\\3dsetup.ini", "new\r\n");
    EXPECT_FALSE(fs::exists(file(".3dsetup.ini.Ab12Cd")));
    EXPECT_EQ(entriesInFolder(), 1u);
}

TEST_F(GameFilesTest, AFailedWriteLeavesTheOldFile) {
    // A disk that fills up after a few bytes.
    GameFiles files(machine, [](int fd, const void* data, std::size_t size) -> ssize_t {
        if (size < 8) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, 4);
    });
    EXPECT_EQ(errorOf([&] { files.save("C:\\Games\\3DSetup\\3dsetup.ini", "a longer new text\r\n"); }),
              "ファイル C:\\Games\\3DSetup\\3dsetup.ini を作成できません");
    EXPECT_EQ(contents("3dsetup.ini"), "old\r\n");
    EXPECT_EQ(entriesInFolder(), 1u);
}

TEST_F(GameFilesTest, ReadOnlyOrUnreachableFilesAreNotReplaced) {
    GameFiles files(machine);
    ::chmod(file("3dsetup.ini").c_str(), 0444);
    for (const char* path : {"C:\\Games\\3DSetup\\3dsetup.ini", "C:\\Games\\3DSetup", "C:\\..\\escape.ini",
                             "C:\\Games\\NoFolder\\3dsetup.ini"})
        EXPECT_EQ(errorOf([&] { files.save(path, "new\r\n"); }),
                  std::string("ファイル ") + path + " を作成できません")
            << path;
    EXPECT_EQ(contents("3dsetup.ini"), "old\r\n");
    EXPECT_FALSE(fs::exists(machine.dir() / "escape.ini"));
}

// The machine's change observer sees each save first, and what it throws stops the save.
TEST_F(GameFilesTest, ASaveWaitsForTheMachinesChangeObserver) {
    std::vector<fs::path> seen;
    machine.setChangeObserver([&](const fs::path& changed) {
        seen.push_back(changed);
        if (test::fileContents(changed) == "old\r\n")
            throw std::runtime_error("no snapshot");
    });
    GameFiles files(machine);
    EXPECT_THROW(files.save("C:\\Games\\3DSetup\\3dsetup.ini", "new\r\n"), std::runtime_error);
    EXPECT_EQ(contents("3dsetup.ini"), "old\r\n");
    put("3dsetup.ini", "allowed\r\n");
    files.save("C:\\Games\\3DSetup\\3dsetup.ini", "new\r\n");
    EXPECT_EQ(contents("3dsetup.ini"), "new\r\n");
    EXPECT_EQ(seen, std::vector<fs::path>(2, file("3dsetup.ini")));
}

} // namespace
