// The accessor's semantics over the in-memory store.
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <array>

using namespace kv;

namespace {

class AccessorTest : public ::testing::Test {
protected:
    MemoryStore store;
};

TEST_F(AccessorTest, MissingValuesReadAsTheyDoOnWindows) {
    TSettingsAccessor reg(store);
    ASSERT_TRUE(reg.OpenPath("\\SOFTWARE\\Test"));
    EXPECT_FALSE(reg.ValuePresent("Missing"));
    EXPECT_EQ(reg.LoadText("Missing"), "");
    std::array<unsigned char, 2> buffer{0xAA, 0xBB};
    EXPECT_EQ(reg.LoadBytes("Missing", buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(buffer[0], 0xAA);
    try {
        reg.LoadNumber("Missing");
        FAIL() << "LoadNumber of a missing value must fail";
    } catch (const Failure& e) {
        EXPECT_STREQ(e.what(), "'Missing' の取得に失敗しました");
    }
}

TEST_F(AccessorTest, WrongKindsAreRefusedWithTheValueName) {
    TSettingsAccessor reg(store);
    reg.OpenPath("\\K");
    reg.StoreText("Text", "1");
    reg.StoreNumber("Number", 1);
    reg.StoreBytes("Bytes", "\x01\x02\x03", 3);
    unsigned char buffer[2] = {};
    const auto message = [](auto&& action) {
        try {
            action();
        } catch (const Failure& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { reg.LoadText("Number"); }), "'Number' のデータ型が不正です");
    EXPECT_EQ(message([&] { reg.LoadNumber("Text"); }), "'Text' のデータ型が不正です");
    EXPECT_EQ(message([&] { reg.LoadBytes("Text", buffer, 2); }), "'Text' のデータ型が不正です");
    EXPECT_EQ(message([&] { reg.LoadBytes("Number", buffer, 2); }), "'Number' のデータ型が不正です");
    EXPECT_EQ(message([&] { reg.LoadBytes("Bytes", buffer, 2); }), "'Bytes' のデータ型が不正です");
}

TEST_F(AccessorTest, ValuesRoundTripWithTheirKinds) {
    TSettingsAccessor reg(store);
    reg.OpenPath("\\K");
    reg.StoreText("Text", "abc");
    reg.StoreNumber("Negative", -2);
    reg.StoreBytes("Bytes", "\x00\x01", 2);
    EXPECT_EQ(reg.LoadText("Text"), "abc");
    EXPECT_EQ(reg.LoadNumber("Negative"), -2);
    unsigned char buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(reg.LoadBytes("Bytes", buffer, sizeof buffer), 2u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 1);
    EXPECT_EQ(buffer[2], 9);
    // A string is stored with its NUL and read up to the first NUL.
    const RegValue* stored = store.tree().find({"HKEY_LOCAL_MACHINE", "K"})->value("Text");
    EXPECT_EQ(stored->data, std::string("abc\0", 4));
    reg.StoreBytes("Raw", "ab\0cd", 5);
    EXPECT_THROW(reg.LoadText("Raw"), Failure);
}

TEST_F(AccessorTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    TSettingsAccessor reg(store);
    reg.OpenPath("\\System\\CurrentControlSet\\Services\\Class\\Display\\0003");
    reg.StoreText("InfSection", "R6_AGP_ENU");
    ASSERT_TRUE(reg.OpenPathForReading("\\SYSTEM\\currentcontrolset\\services\\class\\DISPLAY\\0003"));
    EXPECT_EQ(reg.LoadText("infsection"), "R6_AGP_ENU");
    reg.StoreText("INFSECTION", "x");
    const RegKey* key = store.tree().find(
        {"HKEY_LOCAL_MACHINE", "system", "currentcontrolset", "services", "class", "display", "0003"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name(), "0003");
    EXPECT_EQ(key->value("infsection")->name, "InfSection");
    EXPECT_EQ(*reg.CurrentPath(), "System\\CurrentControlSet\\Services\\Class\\Display\\0003");
}

TEST_F(AccessorTest, DoubleByteTrailBytesAreNeitherLettersNorSeparators) {
    // "ソ" is 83 5C and "ａ" is 82 81: neither its "\" byte nor a letter-like byte splits or folds.
    const std::string so = "\x83\x5C";
    TSettingsAccessor reg(store);
    ASSERT_TRUE(reg.OpenPath("\\A" + so + "B"));
    EXPECT_TRUE(reg.PathExists("\\a" + so + "b"));
    EXPECT_FALSE(reg.PathExists("\\A\x83"));
    // 83 41 and 83 61 differ only in a trail byte that looks like "A" and "a": two names.
    reg.OpenPath("\\K");
    reg.StoreText("\x83\x41", "upper");
    reg.StoreText("\x83\x61", "lower");
    EXPECT_EQ(reg.LoadText("\x83\x41"), "upper");
    EXPECT_EQ(reg.LoadText("\x83\x61"), "lower");
}

TEST_F(AccessorTest, OpenPathForReadingCreatesNothingAndKeepsTheCurrentKey) {
    TSettingsAccessor reg(store);
    reg.OpenPath("\\First");
    EXPECT_FALSE(reg.OpenPathForReading("\\Missing\\Key"));
    EXPECT_FALSE(reg.PathExists("\\Missing"));
    EXPECT_EQ(*reg.CurrentPath(), "First");
    // A store through a key opened for reading is carried out.
    reg.OpenPath("\\Second");
    ASSERT_TRUE(reg.OpenPathForReading("\\First"));
    reg.StoreText("V", "1");
    EXPECT_EQ(reg.LoadText("V"), "1");
}

TEST_F(AccessorTest, RelativePathsStartAtTheCurrentKeyOrTheRoot) {
    TSettingsAccessor reg(store);
    ASSERT_TRUE(reg.OpenPath("Top"));
    EXPECT_EQ(*reg.CurrentPath(), "Top");
    ASSERT_TRUE(reg.OpenPath("Child"));
    EXPECT_EQ(*reg.CurrentPath(), "Top\\Child");
    EXPECT_FALSE(reg.OpenPath("a\\\\b"));
    EXPECT_EQ(*reg.CurrentPath(), "Top\\Child");
}

TEST_F(AccessorTest, StoresWithoutAnOpenKeyFail) {
    TSettingsAccessor reg(store);
    try {
        reg.StoreText("DisableHyperZ", "1");
        FAIL();
    } catch (const Failure& e) {
        EXPECT_STREQ(e.what(), "'DisableHyperZ' の設定に失敗しました");
    }
    reg.OpenPath("\\K");
    reg.SelectRoot(RootKey::CurrentUser); // a new root closes the current key
    EXPECT_FALSE(reg.CurrentPath());
    EXPECT_THROW(reg.StoreNumber("N", 1), Failure);
}

TEST_F(AccessorTest, RemovePathTakesTheWholeSubtree) {
    TSettingsAccessor reg(store);
    reg.OpenPath("\\ATI\\A\\Deep");
    reg.StoreText("V", "1");
    reg.OpenPath("\\ATI\\B");
    reg.OpenPath("\\Other");
    EXPECT_TRUE(reg.RemovePath("\\ati"));
    EXPECT_FALSE(reg.PathExists("\\ATI"));
    EXPECT_TRUE(reg.PathExists("\\Other"));
    EXPECT_FALSE(reg.RemovePath("\\ATI"));
    EXPECT_FALSE(reg.RemovePath("\\"));
    // A removed current key takes no more stores; opening it again recreates it.
    reg.OpenPath("\\Gone");
    reg.RemovePath("\\Gone");
    EXPECT_THROW(reg.StoreText("V", "1"), Failure);
    reg.OpenPath("\\Gone");
    reg.StoreText("V", "1");
    EXPECT_EQ(reg.LoadText("V"), "1");
}

TEST_F(AccessorTest, AKeyRemovedByAnotherAccessorStaysGoneForItsHolder) {
    TSettingsAccessor holder(store);
    ASSERT_TRUE(holder.OpenPath("\\ATI\\Driver\\DAL"));
    {
        TSettingsAccessor other(store);
        ASSERT_TRUE(other.RemovePath("\\ATI\\Driver"));
    }
    EXPECT_EQ(holder.CurrentPath(), "ATI\\Driver\\DAL");
    EXPECT_THROW(holder.StoreText("V", "1"), Failure);
    // Nothing below the removed key opens, and nothing of it comes back.
    EXPECT_FALSE(holder.OpenPath("Sub"));
    EXPECT_FALSE(holder.OpenPathForReading(""));
    EXPECT_FALSE(holder.PathExists("\\ATI\\Driver"));
    EXPECT_TRUE(holder.PathExists("\\ATI"));
}

TEST(AccessorRoots, CurrentUserIsUsersDefaultInAWholeWindows98Export) {
    MemoryStore store;
    TSettingsAccessor setup(store);
    // Make the tree look like an export with HKEY_USERS only.
    store.apply({Change::Kind::RemoveKey, {"HKEY_CURRENT_USER"}, {}});
    store.apply({Change::Kind::CreateKey, {"HKEY_USERS", ".DEFAULT"}, {}});
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::CurrentUser);
    reg.OpenPath("\\Software\\Electronic Arts\\3D Data");
    reg.StoreText("Card", "1");
    EXPECT_NE(store.tree().find({"HKEY_USERS", ".DEFAULT", "Software", "Electronic Arts", "3D Data"}),
              nullptr);
    EXPECT_EQ(store.tree().child("HKEY_CURRENT_USER"), nullptr);
}

} // namespace
