// Start-up pieces outside the window: the command line and opening the machine's registry.
#include "CommandLine.h"
#include "Fakes.h"
#include "FileContents.h"
#include "MachineFolder.h"
#include "MachineRegistry.h"
#include "SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace kv;

namespace {

TEST(CommandLine, TakesTheFourOptionsAndRefusesTheRest) {
    const CommandLine line = parseCommandLine({"kavendel", "--machine", "/m", "--screenshot", "/s"});
    EXPECT_EQ(line.machine, std::filesystem::path("/m"));
    EXPECT_EQ(line.screenshotDir, std::filesystem::path("/s"));
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_TRUE(parseCommandLine({"kavendel", "--help"}).help);
    EXPECT_TRUE(parseCommandLine({"kavendel", "--version"}).version);
    EXPECT_FALSE(parseCommandLine({"kavendel", "--machine"}).error.isEmpty());
    EXPECT_FALSE(parseCommandLine({"kavendel", "-x"}).error.isEmpty());
}

TEST(MachineRegistry, CreatesAFreshMachineAndReportsMalformedLines) {
    QTemporaryDir dir;
    const MachineFolder machine(dir.filePath("new/machine").toStdString());
    test::ScriptedDialogs dialogs;
    EXPECT_NE(openMachineRegistry(machine, dialogs), nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(std::filesystem::is_directory(machine.dir() / "drive_c"));

    std::ofstream(machine.registryFile(), std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_NOWHERE\\X]\r\n";
    openMachineRegistry(machine, dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].text.starts_with("registry.reg:3:")) << dialogs.shown[0].text;
}

TEST(MachineRegistry, AFileThatIsNotRegedit4IsNamedAndLeftUntouched) {
    QTemporaryDir dir;
    const MachineFolder machine(dir.path().toStdString());
    machine.ensureCreated();
    const std::string utf16("\xFF\xFER\0E\0G\0", 8);
    for (const std::string& content : {utf16, std::string("Windows Registry Editor Version 5.00\r\n")}) {
        std::ofstream(machine.registryFile(), std::ios::binary | std::ios::trunc) << content;
        test::ScriptedDialogs dialogs;
        try {
            openMachineRegistry(machine, dialogs);
            FAIL() << "accepted " << content;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find("registry.reg"), std::string::npos) << e.what();
        }
        EXPECT_EQ(test::fileContents(machine.registryFile()), content);
    }
}

TEST(MachineRegistry, AFolderThatCannotBeCreatedIsAClearError) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("file").toStdString()) << "x";
    const MachineFolder machine(dir.filePath("file/machine").toStdString());
    test::ScriptedDialogs dialogs;
    try {
        openMachineRegistry(machine, dialogs);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("file/machine"), std::string::npos) << e.what();
    }
}

} // namespace
