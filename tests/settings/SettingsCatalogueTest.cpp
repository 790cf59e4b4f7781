// The catalogue's rows agree with each other: names, keys, kinds, the reading order and the
// presets all refer to rows that exist and fit.
#include "SettingsCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace kv;

namespace {

const std::set<std::string_view> DriverSubKeys = {"\\atidxhal", "\\DirectX", "\\OpenGL", "\\GDI", "\\DAL",
                                                  "\\Engine",   "\\Monitor", "\\DAC",    "\\CPU"};

bool isDriverSubKey(std::string_view key) {
    return DriverSubKeys.contains(key);
}

TEST(SettingsCatalogue, HasEveryControlOnceWithItsHandler) {
    const auto rows = twoStateSettings();
    EXPECT_EQ(rows.size(), 75u);
    std::set<std::string_view> controls;
    std::set<std::string_view> handlers;
    for (const TwoStateSetting& row : rows) {
        EXPECT_TRUE(controls.insert(row.control).second) << row.control;
        EXPECT_TRUE(handlers.insert(row.handler).second) << row.handler;
        const std::string expected =
            row.control == "Vsync" ? "vsyncClick" : std::string(row.control) + "Click";
        EXPECT_EQ(row.handler, expected);
        EXPECT_FALSE(row.caption.empty()) << row.control;
    }
    for (const ChoiceList& list : choiceLists())
        EXPECT_TRUE(controls.insert(list.control).second) << list.control;
    EXPECT_EQ(choiceLists().size(), 7u);
    const std::map<BoxGroup, std::size_t> perGroup = {
        {BoxGroup::System, 13},    {BoxGroup::Engine, 12}, {BoxGroup::EngineSheet, 1},
        {BoxGroup::D3DFilter, 15}, {BoxGroup::D3DGen, 9},  {BoxGroup::OpenGL, 8},
        {BoxGroup::General, 5},    {BoxGroup::Gdi, 6},     {BoxGroup::RegistrySheet, 6}};
    for (const auto& [group, count] : perGroup)
        EXPECT_EQ(std::ranges::count(rows, group, &TwoStateSetting::group), static_cast<long>(count));
}

TEST(SettingsCatalogue, KeysAndKindsFitHowStartUpReadsThem) {
    for (const TwoStateSetting& row : twoStateSettings()) {
        SCOPED_TRACE(std::string(row.control));
        EXPECT_FALSE(row.value.empty());
        ASSERT_FALSE(row.key.empty());
        // A sub-key is one of the driver's; any other key is a fixed path from its root.
        if (row.key.front() == '\\' && row.key.find('\\', 1) == std::string_view::npos)
            EXPECT_TRUE(isDriverSubKey(row.key));
        else
            EXPECT_TRUE(row.key.starts_with("\\Software\\") || row.key.starts_with("Software\\") ||
                        row.key.starts_with("\\Tessel soft\\"));
        EXPECT_EQ(row.root == RootKey::CurrentUser,
                  row.key.starts_with("\\Software\\Matrox\\PowerDesk\\Version5"));
        const std::string_view readKey = row.secondKey.empty() ? row.key : row.secondKey;
        switch (row.startUp) {
        case StartUp::Text:
            EXPECT_EQ(row.kind, ValueKind::Text);
            EXPECT_EQ(readKey, "\\atidxhal");
            break;
        case StartUp::Number:
            EXPECT_EQ(row.kind, ValueKind::Number);
            EXPECT_TRUE(readKey == "\\OpenGL" || readKey == "\\DAL");
            break;
        case StartUp::NotRead:
            EXPECT_TRUE((readKey != "\\atidxhal" && readKey != "\\OpenGL" && readKey != "\\DAL") ||
                        row.control == "MAXXMode" || row.control == "SlowerEdge" ||
                        row.control == "FullSceneAA");
            break;
        }
    }
}

TEST(SettingsCatalogue, ReadingPassShowsEveryReadControlOnce) {
    std::multiset<std::string_view> read;
    for (const StartUpKey& key : startUpKeys())
        for (const StartUpRead& entry : key.reads) {
            read.insert(entry.control);
            if (const TwoStateSetting* row = findTwoState(entry.control)) {
                EXPECT_NE(row->startUp, StartUp::NotRead) << entry.control;
                EXPECT_TRUE(entry.value == row->value || entry.value == row->secondValue) << entry.value;
                EXPECT_EQ(key.subKey, row->secondKey.empty() ? row->key : row->secondKey) << entry.value;
            } else if (const ChoiceList* list = findChoiceList(entry.control)) {
                EXPECT_EQ(entry.value, list->value);
                EXPECT_EQ(key.subKey, list->key);
            } else {
                EXPECT_EQ(entry.control, DetailBias.control);
                EXPECT_EQ(entry.value, DetailBias.value);
            }
        }
    for (const TwoStateSetting& row : twoStateSettings()) {
        // Both values of one key show on the box; a value in another key (Vsync's first) does not.
        const bool bothRead = !row.secondValue.empty() && row.secondKey.empty();
        EXPECT_EQ(read.count(row.control), row.startUp == StartUp::NotRead ? 0u
                                           : bothRead                      ? 2u
                                                                           : 1u)
            << row.control;
    }
    EXPECT_EQ(read.count("TextureCompression"), 2u);
    for (const ChoiceList& list : choiceLists())
        EXPECT_EQ(read.count(list.control), 1u) << list.control;
}

TEST(SettingsCatalogue, PresetsSetExistingControlsAndAgreeOnAgpSpeed) {
    EXPECT_EQ(presetValues().size(), 32u);
    EXPECT_EQ(presetControls().size(), 28u);
    const PresetValue& agpFlags = presetValues()[21];
    ASSERT_EQ(agpFlags.value, agpSpeedSetting().value);
    for (const PresetControl& control : presetControls()) {
        if (control.control == agpSpeedSetting().control) {
            // The item each mode selects stores the very code the mode has just stored.
            for (std::size_t mode = 0; mode < 4; ++mode)
                EXPECT_EQ(agpSpeedSetting().items[static_cast<std::size_t>(control.state[mode])].storedText,
                          agpFlags.data[mode])
                    << "mode " << mode;
            continue;
        }
        ASSERT_NE(findTwoState(control.control), nullptr) << control.control;
    }
    // Where a preset stores the very value a box shows, the box is set to the same state.
    for (const PresetValue& value : presetValues()) {
        for (const PresetControl& control : presetControls()) {
            const TwoStateSetting* row = findTwoState(control.control);
            if (!row || row->root != value.root || row->key != value.key || row->value != value.value)
                continue;
            for (std::size_t mode = 0; mode < 4; ++mode)
                EXPECT_EQ(value.data[mode], control.state[mode] ? "1" : "0")
                    << value.value << " mode " << mode;
        }
    }
}

TEST(SettingsCatalogue, OutOfSightControlsLieBeyondTheWindow) {
    for (const TwoStateSetting& row : twoStateSettings()) {
        const BoxGroupPlace& group = boxGroup(row.group);
        const Rect box = boxGeometry(row);
        const bool hidden = row.group == BoxGroup::D3DGen || row.group == BoxGroup::General ||
                            row.group == BoxGroup::Gdi || row.group == BoxGroup::RegistrySheet ||
                            row.control == "MIPMAP";
        const int left = group.name.empty() ? box.left : group.geometry.left + box.left;
        const int bottom =
            group.name.empty() ? box.top + box.height : group.geometry.top + box.top + box.height;
        if (hidden) {
            EXPECT_TRUE(left >= 431 || bottom > 386) << row.control;
        } else if (!group.name.empty()) {
            EXPECT_LE(box.top + box.height, group.geometry.height) << row.control;
        }
    }
}

} // namespace
