// What the driver-settings controls do to the settings store, without any widget: the click
// actions of the boxes (the generic one and the members that do more), the stores of the lists,
// the bar and the AGP speed group, the presets' stores, and the start-up reading pass. Each
// action opens its own accessor and frees it before returning; store errors are thrown.
#pragma once

#include "SettingsCatalogue.h"

#include <string>
#include <string_view>

namespace kv {

// The key a row names: "\sub" is below the driver key path, anything else is taken as it is.
std::string settingKeyPath(std::string_view driverKeyPath, std::string_view key);

// The click action of an ordinary box: the row's one value, as the flag of checked.
void storeTwoState(SettingsStore& store, std::string_view driverKeyPath, const TwoStateSetting& row,
                   bool checked);

// Vsync: FlipOnVBlank in "\DirectX", then Vsync in "\atidxhal", through one accessor.
void storeVsync(SettingsStore& store, std::string_view driverKeyPath, bool checked);
// TextureCompression: enableTextureCompression, then ExportCompressedTex, in "\atidxhal".
void storeTextureCompression(SettingsStore& store, std::string_view driverKeyPath, bool checked);
// FullSceneAA's stores (the page switches the anti-alias lists first): checked stores AntiAlias
// "1" and AntiAliasRatio "384"; unchecked stores AntiAlias "0" and leaves the ratio alone.
void storeFullSceneAA(SettingsStore& store, std::string_view driverKeyPath, bool checked);

// The click action of any row, by its kind.
void clickAction(SettingsStore& store, std::string_view driverKeyPath, const TwoStateSetting& row,
                 bool checked);

// A list's item; an index outside the list stores nothing.
void storeChoice(SettingsStore& store, std::string_view driverKeyPath, const ChoiceList& list, int item);
void storeDetailBias(SettingsStore& store, std::string_view driverKeyPath, int position);
void storeAgpSpeed(SettingsStore& store, std::string_view driverKeyPath, int item);

// The 32 values of a mode, in table order, opening a key only when it changes from the row before.
void storePresetValues(SettingsStore& store, std::string_view driverKeyPath, Mode mode);
void storeRadeonLe(SettingsStore& store, std::string_view driverKeyPath);

// What the reading pass shows; the window implements it without running any handler.
class InitialStateView {
public:
    virtual ~InitialStateView() = default;
    virtual void showChecked(std::string_view control, bool checked) = 0;
    // A list's item, or the bar's position.
    virtual void showChoice(std::string_view control, int index) = 0;
    virtual void showAntiAliasEnabled(bool enabled) = 0;
};

// Reads the "\atidxhal", "\DAL" and "\OpenGL" keys of the adapter, creating them, and shows
// every present value. A value of the wrong kind throws and ends the pass there.
void readInitialStates(SettingsStore& store, int foundDisplayIndex, InitialStateView& view);

} // namespace kv
