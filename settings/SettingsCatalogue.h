// The catalogue of the driver options on the "レジストリ" pages: every two-state box, the lists,
// the level-of-detail bar and the AGP speed group, with where each sits, what it stores and how
// start-up reads it back; and the preset modes that store many of them at once. Plain data, so
// the pages, the start-up reading pass and the presets all work from the same rows.
#pragma once

#include "SettingsStore.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

enum class ValueKind { Text, Number };

// How start-up shows a box: by a text flag ("1" checks), by a number (1 checks), or not at all.
enum class StartUp { NotRead, Text, Number };

// The page a control is built on.
enum class Sheet { Registry, Engine, Direct3D, OpenGL }; // TabSheet2, TabSheet4, TabSheet7, TabSheet8

// Where the boxes of the two-state table stand. Each group stacks its boxes 16 pixels apart.
enum class BoxGroup { System, Engine, EngineSheet, D3DFilter, D3DGen, OpenGL, General, Gdi, RegistrySheet };

// The members that do more than the generic click action; they are written out in DriverSettings.
enum class Special { None, Vsync, TextureCompression, FullSceneAA };

struct Rect {
    int left, top, width, height;
};

struct TwoStateSetting {
    std::string_view control;
    std::string_view caption; // UTF-8
    BoxGroup group;
    RootKey root;
    // "\sub" (a single leading "\") is below the driver key path; anything else is a fixed path.
    std::string_view key;
    std::string_view value;
    // A second value stored with the same flag: in the same key, or in secondKey when it is set.
    std::string_view secondValue;
    std::string_view secondKey;
    ValueKind kind;
    StartUp startUp;
    std::string_view hint; // UTF-8, empty for none
    std::string_view handler;
    Special special = Special::None;
};

struct BoxGroupPlace {
    BoxGroup id;
    Sheet sheet;
    std::string_view name;    // empty: the boxes stand directly on the sheet
    std::string_view caption; // UTF-8
    Rect geometry;            // the group's; for boxes on the sheet, where the first box stands
};

inline constexpr int BoxPitch = 16;
inline constexpr int BoxHeight = 17;
// Beyond the right edge of every page: the window is 431 pixels wide.
inline constexpr int OutOfSight = 440;
// Below the bottom edge of every page: the window is 386 pixels high.
inline constexpr int BelowPages = 400;

constexpr std::string_view Atidxhal = "\\atidxhal";
constexpr std::string_view DirectX = "\\DirectX";
constexpr std::string_view OpenGL = "\\OpenGL";
constexpr std::string_view Dal = "\\DAL";
constexpr std::string_view PowerDeskUser = "\\Software\\Matrox\\PowerDesk\\Version5\\CurrentSettings";
constexpr std::string_view PowerDeskMachine = "\\Software\\Matrox\\PowerDesk\\Current Settings";

std::span<const TwoStateSetting> twoStateSettings();
std::span<const BoxGroupPlace> boxGroups();
const TwoStateSetting* findTwoState(std::string_view control);
const BoxGroupPlace& boxGroup(BoxGroup id);
// The box's place in its group or on its sheet.
Rect boxGeometry(const TwoStateSetting& row);

// ---- Lists, the level-of-detail bar and the AGP speed group -------------------------------------

struct ChoiceItem {
    std::string_view text; // UTF-8
    std::string_view storedText;
    std::int32_t storedNumber;
};

struct ChoiceGroup {
    std::string_view name;
    std::string_view caption;
    Sheet sheet;
    Rect geometry;
};

struct ChoiceList {
    std::string_view control;
    std::string_view handler;
    std::string_view group;
    int left, top, width;
    std::string_view key;
    std::string_view value;
    ValueKind kind;
    std::span<const ChoiceItem> items;
    // A present number that names no item selects this one; -1: it selects nothing.
    int otherNumberItem;
};

std::span<const ChoiceGroup> choiceGroups();
std::span<const ChoiceList> choiceLists();
const ChoiceList* findChoiceList(std::string_view control);
// The item whose stored text or number matches, or the list's fallback, or -1.
int itemForText(const ChoiceList& list, std::string_view text);
int itemForNumber(const ChoiceList& list, std::int32_t number);

struct Slider {
    std::string_view control;
    std::string_view handler;
    std::string_view key;
    std::string_view value;
    int minimum, maximum, designPosition;
};
inline constexpr Slider DetailBias{"DetailBias", "DetailBiasChange", OpenGL, "OGLLODBias", 0, 6, 6};

struct RadioSetting {
    std::string_view control;
    std::string_view handler;
    std::string_view caption;
    std::string_view hint;
    std::string_view key;
    std::string_view value;
    std::span<const ChoiceItem> items;
};
const RadioSetting& agpSpeedSetting();

// ---- Start-up reading pass -----------------------------------------------------------------------

// One value the reading pass looks at, in its order, and the control that shows it.
struct StartUpRead {
    std::string_view value;
    std::string_view control;
};

struct StartUpKey {
    std::string_view subKey;
    std::span<const StartUpRead> reads;
};

std::span<const StartUpKey> startUpKeys();

// ---- Presets ----------------------------------------------------------------------------------------

// The four mode buttons, in the order of the preset tables' columns.
enum class Mode { Emergency, Game, Benchmark, Default }; // Button9, Button10, Button12, Button11

struct PresetValue {
    RootKey root;
    std::string_view key;
    std::string_view value;
    ValueKind kind;
    std::array<std::string_view, 4> data; // by Mode; numbers written in decimal
};

// A control the mode sets afterwards: a box's state (1 checked, 0 unchecked), or for the AGP
// speed group the item to select.
struct PresetControl {
    std::string_view control;
    std::array<int, 4> state; // by Mode
};

// The box a mode button shows before it stores anything (UTF-8).
std::string_view presetMessage(Mode mode);
std::span<const PresetValue> presetValues();
std::span<const PresetControl> presetControls();

// Button89 turns HyperZ and Hierarchical Z back on for a Radeon LE.
struct RadeonLeValue {
    std::string_view value;
    std::string_view text;
};
std::span<const RadeonLeValue> radeonLeValues();

} // namespace kv
