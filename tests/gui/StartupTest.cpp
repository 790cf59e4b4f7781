// Start-up pieces outside the window: opening the machine's registry.
#include "Fakes.h"
#include "FileContents.h"
#include "HandlerGuard.h"
#include "MachineFolder.h"
#include "MachineRegistry.h"
#include "SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace kv;

namespace {

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
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("registry.reg:3:")))
        << dialogs.shown[0].text.toStdString();
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

// Docks and task bars group the window under the application's title, which is its window class.
TEST(DesktopEntry, NamesTheWindowClassAndTheTitle) {
    const std::string entry =
        test::fileContents(KAVENDEL_TEST_DATA "/../../data/org.example.kavendel.desktop");
    for (const char* key : {"\nName=", "\nStartupWMClass="})
        EXPECT_NE(entry.find(key + ApplicationTitle.toStdString() + '\n'), std::string::npos) << key;
}

} // namespace
