// The start-up reading pass over prepared stores, and the store actions that have more than one
// step.
#include "DriverSettings.h"

#include "RecordingStore.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace kv;
using kv::test::RecordingStore;

namespace {

const std::string Adapter = "\\SOFTWARE\\ATI Technologies\\Driver\\0000";

// Remembers the last thing shown on each control, and the order of everything shown.
class RecordingView final : public InitialStateView {
public:
    void showChecked(std::string_view control, bool checked) override {
        checkedOf[std::string(control)] = checked;
        order.emplace_back(control);
    }
    void showChoice(std::string_view control, int index) override {
        choiceOf[std::string(control)] = index;
        order.emplace_back(control);
    }
    void showAntiAliasEnabled(bool enabled) override { antiAliasEnabled = enabled; }

    std::map<std::string, bool> checkedOf;
    std::map<std::string, int> choiceOf;
    std::optional<bool> antiAliasEnabled;
    std::vector<std::string> order;
};

class ReadingPassTest : public ::testing::Test {
protected:
    void text(const std::string& sub, const std::string& name, const std::string& value) {
        store.putText(RootKey::LocalMachine, Adapter + sub, name, value);
    }
    void number(const std::string& sub, const std::string& name, std::int32_t value) {
        store.putNumber(RootKey::LocalMachine, Adapter + sub, name, value);
    }
    void read(int index = 0) { readInitialStates(store, index, view); }

    RecordingStore store;
    RecordingView view;
};

TEST_F(ReadingPassTest, OnlyExactlyTextOneChecksATextBox) {
    const std::pair<const char*, bool> cases[] = {{"1", true},   {"0", false},  {"", false},
                                                  {"01", false}, {" 1", false}, {"1 ", false}};
    for (const auto& [stored, checked] : cases) {
        text("\\atidxhal", "DisableHyperZ", stored);
        view = {};
        read();
        EXPECT_EQ(view.checkedOf.at("DisableHyperZ"), checked) << '"' << stored << '"';
    }
}

TEST_F(ReadingPassTest, OnlyNumberOneChecksANumberBox) {
    const std::pair<std::int32_t, bool> cases[] = {{1, true}, {0, false}, {2, false}, {-1, false}};
    for (const auto& [stored, checked] : cases) {
        number("\\OpenGL", "OGLTracing", stored);
        number("\\DAL", "GCOOPTION_SlowerEdge", stored);
        view = {};
        read();
        EXPECT_EQ(view.checkedOf.at("Tracing_Quality"), checked) << stored;
        EXPECT_EQ(view.checkedOf.at("GCOOPTION_SlowerEdge"), checked) << stored;
        EXPECT_FALSE(view.checkedOf.contains("SlowerEdge"));
    }
}

TEST_F(ReadingPassTest, MissingValuesShowNothingAndTheThreeKeysAreCreatedInOrder) {
    read(12);
    EXPECT_TRUE(view.order.empty());
    EXPECT_TRUE(store.stored.empty());
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ATI Technologies\\Driver\\0012";
    EXPECT_EQ(store.created, (std::vector<std::string>{key + "\\atidxhal", key + "\\DAL", key + "\\OpenGL"}));
}

TEST_F(ReadingPassTest, TheSecondTextureCompressionValueDecides) {
    text("\\atidxhal", "enableTextureCompression", "1");
    read();
    EXPECT_TRUE(view.checkedOf.at("TextureCompression"));
    text("\\atidxhal", "ExportCompressedTex", "0");
    read();
    EXPECT_FALSE(view.checkedOf.at("TextureCompression"));
}

TEST_F(ReadingPassTest, VsyncShowsItsAtidxhalValueOnly) {
    store.putText(RootKey::LocalMachine, Adapter + "\\DirectX", "FlipOnVBlank", "1");
    read();
    EXPECT_FALSE(view.checkedOf.contains("Vsync"));
    text("\\atidxhal", "Vsync", "1");
    read();
    EXPECT_TRUE(view.checkedOf.at("Vsync"));
}

TEST_F(ReadingPassTest, AWrongKindEndsThePassAtThatValue) {
    text("\\atidxhal", "TCL", "1");
    number("\\atidxhal", "UCEngine", 1);
    text("\\atidxhal", "ROEngine", "1");
    try {
        read();
        FAIL() << "no error";
    } catch (const Failure& e) {
        EXPECT_STREQ(e.what(), "'UCEngine' のデータ型が不正です");
    }
    EXPECT_EQ(view.order, std::vector<std::string>{"TCL"});

    view = {};
    text("\\atidxhal", "UCEngine", "1");
    text("\\OpenGL", "OGLTracing", "1");
    EXPECT_THROW(read(), Failure);
    EXPECT_TRUE(view.checkedOf.at("ROEngine"));
    EXPECT_FALSE(view.checkedOf.contains("Tracing_Quality"));
}

TEST_F(ReadingPassTest, ListsShowOnlyKnownTextsAndAnyPresentNumber) {
    text("\\atidxhal", "ZFormats", "5");
    text("\\atidxhal", "DitherAlpha", "0");
    number("\\OpenGL", "OGLMaxAnisotropy", 8);
    number("\\OpenGL", "OGLSubPixelPrecision", 4);
    number("\\OpenGL", "OGLEnableFullSceneAA", 2);
    read();
    EXPECT_FALSE(view.choiceOf.contains("ZBuffer"));
    EXPECT_EQ(view.choiceOf.at("DitherAlpha"), 2);
    EXPECT_EQ(view.choiceOf.at("Anisotropic"), 0);
    EXPECT_EQ(view.choiceOf.at("SubPixelC"), 1);
    EXPECT_EQ(view.choiceOf.at("OGLFSAA"), 2);
}

TEST_F(ReadingPassTest, TheDetailBarIsLimitedToItsRange) {
    const std::pair<std::int32_t, int> cases[] = {{9, 6}, {-3, 0}, {3, 3}};
    for (const auto& [stored, position] : cases) {
        number("\\OpenGL", "OGLLODBias", stored);
        read();
        EXPECT_EQ(view.choiceOf.at("DetailBias"), position) << stored;
    }
}

TEST_F(ReadingPassTest, AntiAliasSwitchesTheGroupAndTheBox) {
    text("\\atidxhal", "AntiAlias", "2");
    text("\\atidxhal", "AntiAliasRatio", "512");
    read();
    EXPECT_EQ(view.antiAliasEnabled, true);
    EXPECT_EQ(view.choiceOf.at("AntiAlias"), 1);
    EXPECT_EQ(view.choiceOf.at("AntiAliasRatio"), 1);
    EXPECT_TRUE(view.checkedOf.at("FullSceneAA"));

    view = {};
    text("\\atidxhal", "AntiAlias", "0");
    read();
    EXPECT_EQ(view.antiAliasEnabled, false);
    EXPECT_FALSE(view.checkedOf.at("FullSceneAA"));
    EXPECT_FALSE(view.choiceOf.contains("AntiAlias"));

    view = {};
    text("\\atidxhal", "AntiAlias", "3");
    read();
    EXPECT_FALSE(view.antiAliasEnabled.has_value());
    EXPECT_FALSE(view.checkedOf.contains("FullSceneAA"));
}

TEST(DriverSettingsActions, PresetValuesOpenEachKeyOnlyWhenItChanges) {
    RecordingStore store;
    storePresetValues(store, Adapter, Mode::Game);
    ASSERT_EQ(store.stored.size(), 32u);
    std::vector<std::string> keys;
    for (const auto& s : store.stored)
        if (keys.empty() || keys.back() != s.path)
            keys.push_back(s.path);
    const std::string driver = "HKEY_LOCAL_MACHINE" + Adapter;
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "HKEY_CURRENT_USER\\Software\\Matrox\\PowerDesk\\Version5\\CurrentSettings",
                        driver + "\\Monitor", driver + "\\DAC", driver + "\\Engine", driver + "\\GDI",
                        driver + "\\DirectX", driver + "\\CPU", driver + "\\DirectX"}));
    EXPECT_EQ(store.stored[21], (RecordingStore::Stored{driver + "\\CPU", "AGPFlags", "-1"}));
    EXPECT_EQ(store.kind(RootKey::CurrentUser, "\\Software\\Matrox\\PowerDesk\\Version5\\CurrentSettings",
                         "ShowMeAllMatrox"),
              RegNumber);
}

TEST(DriverSettingsActions, AFailingStoreKeepsWhatWasStoredBefore) {
    RecordingStore store;
    store.failOn = "ExportCompressedTex";
    EXPECT_THROW(storeTextureCompression(store, Adapter, true), Failure);
    EXPECT_EQ(store.get(RootKey::LocalMachine, Adapter + "\\atidxhal", "enableTextureCompression"), "1");
    store.failOn = "Vsync";
    EXPECT_THROW(storeVsync(store, Adapter, true), Failure);
    EXPECT_EQ(store.get(RootKey::LocalMachine, Adapter + "\\DirectX", "FlipOnVBlank"), "1");
}

} // namespace
