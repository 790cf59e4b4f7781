// Discovery over prepared registries: which keys win, and the summary texts.
#include "Discovery.h"

#include "Fakes.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

class DiscoveryTest : public ::testing::Test {
protected:
    void put(const std::string& path, const std::string& name, const std::string& text) {
        TSettingsAccessor reg(store);
        reg.OpenPath(path);
        reg.StoreText(name, text);
    }
    void display(int index, const std::string& infSection, const std::string& desc) {
        const std::string key = indexedKey("\\System\\CurrentControlSet\\Services\\Class\\Display\\", index);
        put(key, "InfSection", infSection);
        put(key, "DriverDesc", desc);
    }
    void media(int index, const std::string& provider, const std::string& desc) {
        const std::string key = indexedKey("\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\", index);
        put(key, "ProviderName", provider);
        put(key, "DriverDesc", desc);
    }
    void run() { discoverAdapter(store, os, dialogs, values, texts); }

    MemoryStore store;
    std::optional<OsVersion> os = OsVersion{OsVersion::Windows9x, 4, 10};
    test::ScriptedDialogs dialogs;
    ProgramValues values;
    SummaryTexts texts;
};

TEST_F(DiscoveryTest, TheAcceptedKeyWithTheLowestIndexWins) {
    display(12, "R6_AGP_ENU_default", "RADEON 12");
    display(3, "R6_ENU_default", "RADEON 3");
    display(2, "r6_agp_enu", "wrong case");
    run();
    EXPECT_EQ(values.driverKeyPath, "\\SOFTWARE\\ATI Technologies\\Driver\\0003");
    EXPECT_EQ(values.displayClassKeyPath, "\\System\\CurrentControlSet\\Services\\Class\\Display\\0003");
    EXPECT_EQ(values.foundDisplayIndex, 3);
    EXPECT_EQ(texts.boardName, "RADEON 3 不明");
    EXPECT_EQ(texts.caption, "Kavendel");
}

TEST_F(DiscoveryTest, NoDriverFallsBackToKey0000AndAnUnknownCaption) {
    run();
    EXPECT_EQ(values.driverKeyPath, "\\SOFTWARE\\ATI Technologies\\Driver\\0000");
    EXPECT_EQ(values.displayClassKeyPath, "");
    EXPECT_EQ(texts.caption, "Kavendel - 不明");
    EXPECT_EQ(texts.memorySize, "不明");
    EXPECT_EQ(texts.memoryType, "不明");
    EXPECT_EQ(texts.agpMode, "不明");
    EXPECT_EQ(texts.driverVersion, "不明");
    EXPECT_TRUE(dialogs.shown.empty());
    // Discovery only reads.
    EXPECT_EQ(store.tree().child("HKEY_LOCAL_MACHINE")->childCount(), 0u);
}

TEST_F(DiscoveryTest, CardDatabaseTexts) {
    struct Row {
        const char* size;
        const char* agp;
        const char* version;
        const char* memorySize;
        const char* agpMode;
        const char* driverVersion;
    };
    const Row rows[] = {
        {"64.0", "2x,4x) 1x", "4.13.01.3163 (Win98)", "64MB", "AGP 4x", "4.13.01.3163 "},
        {"32", "4,2) 4", "7.1", "32MB", "AGP 2x", "7.1"},
        {"", "", "", "MB", "", ""},
        {"1234567890123456789012345678901234567890123", "x1x", "(",
         "1234567890123456789012345678901234567890MB", "AGP 1x", ""},
    };
    for (const Row& row : rows) {
        put("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", row.size);
        put("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC", "AGP Transfer", row.agp);
        put("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Driver", "Version", row.version);
        texts = {};
        run();
        EXPECT_EQ(texts.memorySize, row.memorySize) << row.size;
        EXPECT_EQ(texts.agpMode, row.agpMode) << row.agp;
        EXPECT_EQ(texts.driverVersion, row.driverVersion) << row.version;
    }
}

TEST_F(DiscoveryTest, MemoryType) {
    EXPECT_EQ(memoryTypeText("64MB", "RADEON"), "DDR SDRAM");
    EXPECT_EQ(memoryTypeText("32MB", "RADEON SDR"), "SDR SDRAM");
    EXPECT_EQ(memoryTypeText("32MB", "RADEON DDR"), "DDR SGRAM");
    EXPECT_EQ(memoryTypeText("32MB", ""), "DDR SGRAM");
    EXPECT_EQ(memoryTypeText("32MB", "ALL-IN-WONDER RADEON SDR"), "DDR SGRAM"); // "S" past 21 characters
}

TEST_F(DiscoveryTest, OptionDevicesAndVivo) {
    display(0, "R6_AGP_ENU", "RADEON");
    put("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", "64.0");
    media(12, "ATI Technologies Inc.", "ATI WDM Rage Theater Video");
    media(11, "ATI Technologies Inc.", "ATI WDM Rage Theater Audio");
    media(10, "Other Inc.", "Not ATI");
    media(4, "ATI Technologies Inc.", "Never searched");
    run();
    EXPECT_EQ(texts.optionDevices[0], "ATI WDM Rage Theater Video");
    EXPECT_EQ(texts.optionDevices[1], "ATI WDM Rage Theater Audio");
    EXPECT_EQ(texts.optionDevices[2], "");
    EXPECT_EQ(texts.boardName, "RADEON 64MB VIVO");

    media(30, "ATI Technologies Inc.", "ATI WDM TV Tuner");
    texts = {};
    run();
    EXPECT_EQ(texts.optionDevices[0], "ATI WDM TV Tuner");
    EXPECT_EQ(texts.boardName, "RADEON 64MB");
}

TEST_F(DiscoveryTest, LowMediaKeysFillOnlyTheFirstDevice) {
    media(7, "ATI Technologies Inc.", "Seven");
    media(5, "ATI Technologies Inc.", "Five");
    run();
    EXPECT_EQ(texts.optionDevices[0], "Seven");
    EXPECT_EQ(texts.optionDevices[1], "");
}

TEST_F(DiscoveryTest, NtFamilyWithoutTheDriverReportsAndEnds) {
    os = OsVersion{OsVersion::WindowsNT, 5, 0};
    run();
    EXPECT_EQ(values.ntFlag, 1);
    EXPECT_TRUE(texts.quitRequested);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "エラー");
    EXPECT_EQ(dialogs.shown[0].text, "お使いのビデオカードはRadeon256搭載カードではありません。");
}

TEST_F(DiscoveryTest, AWrongKindEndsDiscoveryWithWhatWasFound) {
    display(1, "R6_AGP_ENU", "RADEON");
    {
        TSettingsAccessor reg(store);
        reg.OpenPath("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC");
        reg.StoreNumber("AGP Transfer", 4);
    }
    put("\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", "32");
    EXPECT_THROW(run(), Failure);
    EXPECT_EQ(values.foundDisplayIndex, 1);
    EXPECT_EQ(texts.memorySize, "32MB");
    EXPECT_EQ(texts.agpMode, "不明");
}

} // namespace
