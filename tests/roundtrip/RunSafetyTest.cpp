// The run's automatic snapshot: taken before the first real change, and never skipped.
#include "RunSafety.h"
#include "Failure.h"
#include "FileContents.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct Machine {
    explicit Machine(const std::string& name)
        : dir(fs::path(testing::TempDir()) / ("safety-" + name)) {
        fs::remove_all(dir);
        fs::create_directories(dir / "drive_c");
        std::ofstream(dir / "registry.reg", std::ios::binary) << Registry;
        std::ofstream(game, std::ios::binary) << "before";
    }
    static constexpr const char* Registry = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"1\"\r\n";
    fs::path dir;
    fs::path game = dir / "drive_c/game.ini";
};

TEST(RunSafety, SnapshotsOnceBeforeTheFirstRealChangeAndEachFileBeforeItsOwn) {
    Machine machine("first");
    Snapshots snapshots(machine.dir);
    RunSafety safety(snapshots);
    auto file = RegistryFileStore::open(machine.dir / "registry.reg");
    SafeguardedStore store(*file, safety);
    {
        TSettingsAccessor reg(store);
        reg.OpenPath("\\A");
        reg.StoreText("v", "1");            // as it already is
        reg.OpenPath("\\Driver\\atidxhal"); // created empty, as every start does
    }
    EXPECT_FALSE(safety.snapshot()) << "nothing changed yet";
    const std::string beforeTheChange = test::fileContents(machine.dir / "registry.reg");
    {
        TSettingsAccessor reg(store);
        reg.OpenPath("\\A");
        reg.StoreText("v", "2");
        reg.StoreText("w", "3");
    }
    safety.beforeFileChange(machine.game);
    std::ofstream(machine.game, std::ios::binary | std::ios::trunc) << "after";
    safety.beforeFileChange(machine.game);
    ASSERT_EQ(snapshots.list().size(), 1u);
    EXPECT_EQ(snapshots.registry(*safety.snapshot()), beforeTheChange);
    snapshots.restore(*safety.snapshot());
    EXPECT_EQ(test::fileContents(machine.game), "before");
}

// The store's tree is as the store last read the file; the change is judged on the file.
TEST(RunSafety, AChangeToAFileChangedSinceIsSnapshotFirst) {
    Machine machine("changed-since");
    Snapshots snapshots(machine.dir);
    RunSafety safety(snapshots);
    auto file = RegistryFileStore::open(machine.dir / "registry.reg");
    SafeguardedStore store(*file, safety);
    TSettingsAccessor reg(store);
    reg.OpenPath("\\A");
    const std::string changed = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"22\"\r\n";
    std::ofstream(machine.dir / "registry.reg", std::ios::binary | std::ios::trunc) << changed;
    reg.StoreText("v", "1"); // as the store last read it
    ASSERT_TRUE(safety.snapshot());
    EXPECT_EQ(snapshots.registry(*safety.snapshot()), changed);
}

TEST(RunSafety, NoChangeHappensWhenTheSnapshotCannotBeWritten) {
    Machine machine("blocked");
    std::ofstream(machine.dir / "snapshots") << "a file where the folder belongs";
    Snapshots snapshots(machine.dir);
    RunSafety safety(snapshots);
    auto file = RegistryFileStore::open(machine.dir / "registry.reg");
    SafeguardedStore store(*file, safety);
    EXPECT_THROW(
        {
            TSettingsAccessor reg(store);
            reg.RemovePath("\\A");
        },
        std::runtime_error);
    EXPECT_THROW(safety.beforeFileChange(machine.game), std::runtime_error);
    try {
        safety.beforeFileChange(machine.game);
        ADD_FAILURE() << "the change went ahead";
    } catch (const Failure& e) {
        EXPECT_TRUE(e.is(Fault::refused));
        EXPECT_TRUE(e.reason()) << "the system's reason reaches the user";
    }
    EXPECT_EQ(test::fileContents(machine.dir / "registry.reg"), Machine::Registry);
    EXPECT_TRUE(store.tree().find({"HKEY_LOCAL_MACHINE", "A"}));
}

// What a run does between its snapshot and its end, and whether the snapshot stays.
struct RunRow {
    const char* label;
    const char* stored; // the value v last stored, "" for none
    const char* game;   // what the game file last held, nullptr when it is never written
    bool kept;
};

const RunRow RunRows[] = {
    {"StoredAndStoredBack", "1", nullptr, false}, {"FileWrittenAndWrittenBack", "", "before", false},
    {"BothPutBack", "1", "before", false},        {"Stored", "2", nullptr, true},
    {"FileWritten", "", "after", true},           {"StoredBackButFileWritten", "1", "after", true},
};

class RunTest : public ::testing::TestWithParam<RunRow> {};

TEST_P(RunTest, ARunThatEndsAsItBeganRemovesItsSnapshot) {
    const RunRow& row = GetParam();
    Machine machine(std::string("end-") + row.label);
    Snapshots snapshots(machine.dir);
    snapshots.take({}); // by hand, kept whatever the run does
    {
        RunSafety safety(snapshots);
        auto file = RegistryFileStore::open(machine.dir / "registry.reg");
        SafeguardedStore store(*file, safety);
        if (*row.stored) {
            TSettingsAccessor reg(store);
            reg.OpenPath("\\A");
            reg.StoreText("v", "3");
            reg.StoreText("v", row.stored);
        }
        if (row.game) {
            safety.beforeFileChange(machine.game);
            std::ofstream(machine.game, std::ios::binary | std::ios::trunc) << "changed";
            std::ofstream(machine.game, std::ios::binary | std::ios::trunc) << row.game;
        }
        ASSERT_TRUE(safety.snapshot());
    }
    EXPECT_EQ(snapshots.list().size(), row.kept ? 2u : 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(snapshots.folder()), fs::directory_iterator()),
              row.kept ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, RunTest, ::testing::ValuesIn(RunRows),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
