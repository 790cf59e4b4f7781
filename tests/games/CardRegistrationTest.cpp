// Registering the card in the publisher's user and machine card lists.
#include "CardRegistration.h"
#include "GameTable.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kv;

namespace {

class CardRegistrationTest : public ::testing::Test {
protected:
    // Sets up a list whose last entry, number cards, is named lastName.
    void makeList(const CardListRow& list, std::int32_t cards, const char* lastName, bool sortOrder = true) {
        TSettingsAccessor reg(store);
        reg.SelectRoot(list.root);
        reg.OpenPath(list.listKey);
        reg.StoreNumber("Cards", cards);
        if (lastName) {
            reg.OpenPath(std::string(list.listKey) + "\\Card" + std::to_string(cards));
            reg.StoreText("Name", lastName);
        }
        if (sortOrder)
            reg.OpenPath(std::string(list.listKey) + "\\Sort Order");
    }
    Registration run(const CardListRow& list) {
        TSettingsAccessor reg(store);
        return registerCard(reg, list);
    }
    // A value as "text" or "#number", nullopt when the key or value is missing.
    std::optional<std::string> value(RootKey root, const std::string& key, const char* name) {
        TSettingsAccessor reg(store);
        reg.SelectRoot(root);
        if (!reg.OpenPathForReading(key) || !reg.ValuePresent(name))
            return std::nullopt;
        try {
            std::string number = std::to_string(reg.LoadNumber(name));
            number.insert(number.begin(), '#'); // numbers read as "#N", apart from texts
            return number;
        } catch (const Failure&) {
            return reg.LoadText(name);
        }
    }
    std::string errorOf(const CardListRow& list) {
        try {
            run(list);
        } catch (const Failure& e) {
            return e.what();
        }
        return "(no error)";
    }
    // The user list key, with "Cards" as text, or without "Cards" when text is null.
    void putCardsText(const char* text) {
        TSettingsAccessor reg(store);
        reg.SelectRoot(RootKey::CurrentUser);
        reg.OpenPath("\\Software\\Electronic Arts\\3D Data");
        if (text)
            reg.StoreText("Cards", text);
    }

    MemoryStore store;
    const CardListRow& user = cardList(CardListKind::User);
    const CardListRow& machine = cardList(CardListKind::Machine);
};

TEST_F(CardRegistrationTest, UserListGainsTheNextEntry) {
    makeList(user, 3, "Other Card");
    EXPECT_EQ(run(user), Registration::Added);
    const auto hkcu = RootKey::CurrentUser;
    const std::string list = "\\Software\\Electronic Arts\\3D Data";
    EXPECT_EQ(value(hkcu, list, "Cards"), "#4");
    EXPECT_EQ(value(hkcu, list, "4"), std::nullopt);
    EXPECT_EQ(value(hkcu, list + "\\Card4", "Group"), "D3D");
    EXPECT_EQ(value(hkcu, list + "\\Card4", "Module"), "dx");
    EXPECT_EQ(value(hkcu, list + "\\Card4", "Name"), "ATI Radeon256");
    EXPECT_EQ(value(hkcu, list + "\\Card4", "Types"), "#1");
    EXPECT_EQ(value(hkcu, list + "\\Card4\\Type1", "DeviceID1"), "#20804");
    EXPECT_EQ(value(hkcu, list + "\\Card4\\Type1", "DeviceID2"), "#20804");
    EXPECT_EQ(value(hkcu, list + "\\Card4\\Type1", "DeviceID"), std::nullopt);
    EXPECT_EQ(value(hkcu, list + "\\Card4\\Type1", "VendorID"), "#4098");
    EXPECT_EQ(value(hkcu, list + "\\Sort Order", "4"), "#4");
    EXPECT_EQ(value(RootKey::LocalMachine, list, "Cards"), std::nullopt);
}

TEST_F(CardRegistrationTest, MachineListAlsoNumbersTheListKey) {
    makeList(machine, 3, "Other Card");
    EXPECT_EQ(run(machine), Registration::Added);
    const auto hklm = RootKey::LocalMachine;
    const std::string list = "\\SOFTWARE\\Electronic Arts\\3D Data";
    EXPECT_EQ(value(hklm, list, "Cards"), "#4");
    EXPECT_EQ(value(hklm, list, "4"), "#4");
    EXPECT_EQ(value(hklm, list + "\\Card4", "Module"), "d3d");
    EXPECT_EQ(value(hklm, list + "\\card4\\type1", "DeviceID"), "#20804");
    EXPECT_EQ(value(hklm, list + "\\Card4\\Type1", "DeviceID1"), std::nullopt);
    EXPECT_EQ(value(hklm, list + "\\Card4\\Type1", "VendorID"), "#4098");
    EXPECT_EQ(value(hklm, list + "\\Sort Order", "4"), "#4");
}

TEST_F(CardRegistrationTest, ZeroCardsReadsAnEmptyEntryZeroAndAddsOne) {
    makeList(user, 0, nullptr);
    EXPECT_EQ(run(user), Registration::Added);
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::CurrentUser);
    EXPECT_TRUE(reg.PathExists("\\Software\\Electronic Arts\\3D Data\\Card0"));
    EXPECT_EQ(value(RootKey::CurrentUser, "\\Software\\Electronic Arts\\3D Data\\Card1", "Name"),
              "ATI Radeon256");
}

TEST_F(CardRegistrationTest, OnlyTheLastEntryCounts) {
    makeList(user, 2, "ATI Radeon256");
    EXPECT_EQ(run(user), Registration::AlreadyRegistered);
    EXPECT_EQ(value(RootKey::CurrentUser, "\\Software\\Electronic Arts\\3D Data", "Cards"), "#2");

    makeList(user, 3, "Other Card"); // the Radeon is entry 2, no longer the last
    EXPECT_EQ(run(user), Registration::Added);
    EXPECT_EQ(value(RootKey::CurrentUser, "\\Software\\Electronic Arts\\3D Data", "Cards"), "#4");
}

TEST_F(CardRegistrationTest, NoListKeyWritesNothing) {
    EXPECT_EQ(run(user), Registration::NoList);
    EXPECT_EQ(run(machine), Registration::NoList);
    EXPECT_TRUE(store.tree() == MemoryStore().tree());
}

TEST_F(CardRegistrationTest, WithoutASortOrderKeyTheDeviceKeyGetsNoStrayValue) {
    makeList(machine, 3, "Other Card", false);
    EXPECT_EQ(run(machine), Registration::Added);
    const std::string list = "\\SOFTWARE\\Electronic Arts\\3D Data";
    EXPECT_EQ(value(RootKey::LocalMachine, list + "\\Card4\\Type1", "4"), std::nullopt);
    TSettingsAccessor reg(store);
    EXPECT_FALSE(reg.PathExists(list + "\\Sort Order"));
}

TEST_F(CardRegistrationTest, CardsMissingOrNotANumberIsAStoreError) {
    putCardsText(nullptr);
    EXPECT_EQ(errorOf(user), "'Cards' の取得に失敗しました");
    putCardsText("3");
    EXPECT_EQ(errorOf(user), "'Cards' のデータ型が不正です");
}

} // namespace
