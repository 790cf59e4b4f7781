#include "MachineFolder.h"
#include "FileContents.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using kv::MachineFolder;

namespace {

class MachineFolderTest : public ::testing::Test {
protected:
    MachineFolderTest()
        : root(dir.path())
        , machine(root) {
        machine.ensureCreated();
        fs::create_directories(root / "drive_c" / "Program Files" / "Game");
        std::ofstream(root / "drive_c" / "Program Files" / "Game" / "Icon.ICO") << "x";
    }
    kv::TemporaryFolder dir;
    fs::path root;
    MachineFolder machine;
};

TEST_F(MachineFolderTest, CreatesAnEmptyRegistryAndDriveC) {
    EXPECT_EQ(kv::test::fileContents(machine.registryFile()), "REGEDIT4\r\n\r\n");
    EXPECT_TRUE(fs::is_directory(root / "drive_c"));
    // A registry that is there is kept, and no temporary file is left beside it.
    std::ofstream(machine.registryFile(), std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n";
    machine.ensureCreated();
    EXPECT_EQ(kv::test::fileContents(machine.registryFile()), "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2);
}

TEST_F(MachineFolderTest, MapsWindowsPathsIntoTheDrivesWithoutRegardToCase) {
    const fs::path icon = root / "drive_c" / "Program Files" / "Game" / "Icon.ICO";
    EXPECT_EQ(machine.resolve("C:\\PROGRAM FILES\\game\\icon.ico"), icon);
    EXPECT_EQ(machine.resolve("c:/Program Files/Game/Icon.ICO"), icon);
    EXPECT_EQ(machine.resolve("\\Program Files\\Game\\..\\Game\\.\\Icon.ico"), icon);
    // A component that does not exist keeps its spelling.
    EXPECT_EQ(machine.resolve("D:\\New\\File.txt"), root / "drive_d" / "New" / "File.txt");
    // Double-byte names map to UTF-8 file names.
    EXPECT_EQ(machine.resolve("C:\\\x95\x5C"), root / "drive_c" / "表");
}

TEST_F(MachineFolderTest, RefusesPathsThatLeaveTheDrive) {
    for (const char* bad : {"C:\\..\\registry.reg", "\\..\\..\\etc\\passwd", "\\\\server\\share\\x",
                            "C:", "C:x", "relative\\x", ""})
        EXPECT_FALSE(machine.resolve(bad)) << bad;
    fs::create_directory_symlink("/", root / "drive_c" / "escape");
    EXPECT_FALSE(machine.resolve("C:\\escape\\etc\\passwd"));
}

} // namespace
