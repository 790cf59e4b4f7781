// The first start's choices and the remembered machine folder, without the dialog's widgets.
#include "FirstRun.h"
#include "Failure.h"
#include "Fakes.h"
#include "FileContents.h"
#include "MachineFolder.h"
#include "MachineJobs.h"
#include "Message.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "UserConfig.h"
#include "Win98Image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct Places {
    Places() {
        fs::remove_all(root);
        MachineFolder(places.defaultMachine).ensureCreated(); // as the first start leaves it
        fs::create_directories(root / "picked");
    }
    fs::path root = fs::path(testing::TempDir()) / "first-run";
    FirstRunPlaces places{root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo-machine"};
};

TEST(FirstRun, EachChoiceLeadsToAMachineFolderWithARegistry) {
    const std::string demo = test::fileContents(KAVENDEL_DEMO_MACHINE "/registry.reg");
    Places p;
    EXPECT_TRUE(isNewMachine(p.places.defaultMachine));
    EXPECT_EQ(carryOutFirstRunChoice(FirstRunChoice::TryDemo, {}, p.places), p.places.demoCopy);
    EXPECT_EQ(test::fileContents(p.places.demoCopy / "registry.reg"), demo);
    EXPECT_EQ(carryOutFirstRunChoice(FirstRunChoice::OpenFolder, p.places.demoCopy, p.places),
              p.places.demoCopy);
    EXPECT_THROW(carryOutFirstRunChoice(FirstRunChoice::OpenFolder, p.root / "picked", p.places),
                 std::runtime_error);

    EXPECT_THROW(carryOutFirstRunChoice(FirstRunChoice::ImportHives, p.root / "picked", p.places),
                 std::runtime_error);
    std::ofstream(p.root / "picked/bad.reg") << "not a registry";
    EXPECT_THROW(carryOutFirstRunChoice(FirstRunChoice::ImportExport, p.root / "picked/bad.reg", p.places),
                 std::runtime_error);
    EXPECT_TRUE(isNewMachine(p.places.defaultMachine));
    EXPECT_EQ(
        carryOutFirstRunChoice(FirstRunChoice::ImportExport, KAVENDEL_DEMO_MACHINE "/registry.reg", p.places),
        p.places.defaultMachine);
    EXPECT_EQ(test::fileContents(p.places.defaultMachine / "registry.reg"), demo);
    EXPECT_FALSE(isNewMachine(p.places.defaultMachine));
}

// After starts that left the driver's empty keys and the lock file, the default folder still
// takes an import; once it holds a machine, each import goes into a new folder beside it.
TEST(FirstRun, AnImportAlwaysFindsAFolder) {
    Places p;
    {
        auto store = RegistryFileStore::open(p.places.defaultMachine / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\ATI Technologies\\Driver\\0000\\atidxhal");
    }
    EXPECT_TRUE(isNewMachine(p.places.defaultMachine));
    const fs::path demo = KAVENDEL_DEMO_MACHINE "/registry.reg";
    for (const char* expected : {"machine", "machine-2", "machine-3"})
        EXPECT_EQ(carryOutFirstRunChoice(FirstRunChoice::ImportExport, demo, p.places), p.root / expected);
    EXPECT_EQ(test::fileContents(p.root / "machine-3/registry.reg"), test::fileContents(demo));
}

// As on a first start with an empty home: the demo copy's folders are made; where they cannot
// be, the error is a sentence of the program's own, and no half copy stays.
TEST(FirstRun, TheDemoCopyMakesItsFoldersOrSaysWhyNot) {
    Places p;
    p.places.demoCopy = p.root / "home/.local/share/kavendel/demo-machine";
    EXPECT_EQ(carryOutFirstRunChoice(FirstRunChoice::TryDemo, {}, p.places), p.places.demoCopy);
    EXPECT_TRUE(fs::is_regular_file(p.places.demoCopy / "registry.reg"));
    std::ofstream(p.root / "file") << "in the way";
    p.places.demoCopy = p.root / "file/demo-machine";
    try {
        carryOutFirstRunChoice(FirstRunChoice::TryDemo, {}, p.places);
        ADD_FAILURE() << "copied under a file";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.message().source).rfind("デモマシンを %1 にコピーできません", 0), 0u)
            << e.what();
        EXPECT_TRUE(e.reason()) << "the system's reason comes with it";
    }
}

// A disk image opens in a machine folder of its own beside the default one, as --image has it,
// and closing the window on it offers to write its changes into the image; a file that is no
// image is refused and leaves no folder behind.
TEST(FirstRun, ADiskImageOpensInAMachineFolderOfItsOwn) {
    Places p;
    std::ofstream(p.root / "picked/notes.img") << "not a disk";
    EXPECT_THROW(carryOutFirstRunChoice(FirstRunChoice::OpenImage, p.root / "picked/notes.img", p.places),
                 std::runtime_error);
    EXPECT_TRUE(!fs::exists(p.root / "images") || fs::is_empty(p.root / "images"));

    test::Win98Image disk(p.root / "picked", 64ull << 20, 16);
    disk.installWindows(fs::path(KAVENDEL_TEST_DATA) / "hives");
    const fs::path opened = carryOutFirstRunChoice(FirstRunChoice::OpenImage, disk.raw(), p.places);
    EXPECT_EQ(opened.parent_path(), p.root / "images");
    EXPECT_FALSE(isNewMachine(opened));
    EXPECT_TRUE(isNewMachine(p.places.defaultMachine));

    test::ScriptedDialogs dialogs; // answers Cancel
    EXPECT_EQ(offerImageWriteBack(dialogs, opened), 0);
    EXPECT_TRUE(dialogs.shown.empty()) << "nothing to write yet";
    {
        auto store = RegistryFileStore::open(MachineFolder::registryFileIn(opened));
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software\\Kavendel");
        reg.StoreText("Tried", "1");
    }
    const std::string image = test::fileContents(disk.raw());
    EXPECT_EQ(offerImageWriteBack(dialogs, p.places.defaultMachine), 0);
    EXPECT_TRUE(dialogs.shown.empty()) << "a machine folder of no image";
    EXPECT_EQ(offerImageWriteBack(dialogs, opened), 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].confirm);
    EXPECT_EQ(test::fileContents(disk.raw()), image) << "Cancel writes nothing";
}

TEST(UserConfig, RemembersTheMachineAndKeepsOtherLines) {
    Places p;
    const UserConfig config(p.root / "conf/kavendel.conf");
    EXPECT_EQ(rememberedMachine(config), std::nullopt);
    fs::create_directories(p.root / "conf");
    std::ofstream(config.file()) << "# mine\nlang=en\nmachine=/gone\n";
    EXPECT_EQ(rememberedMachine(config), std::nullopt) << "a folder that is gone";
    fs::copy(KAVENDEL_DEMO_MACHINE, p.places.demoCopy, fs::copy_options::recursive);
    rememberMachine(config, p.places.demoCopy);
    EXPECT_EQ(rememberedMachine(config), fs::absolute(p.places.demoCopy));
    EXPECT_EQ(config.value("lang"), "en");
    EXPECT_EQ(test::fileContents(config.file()),
              "# mine\nlang=en\nmachine=" + fs::absolute(p.places.demoCopy).string() + "\n");
}

} // namespace
