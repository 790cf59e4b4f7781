#include "DriverSettings.h"

#include "Discovery.h"
#include "SettingsAccessor.h"

#include <algorithm>
#include <charconv>

namespace kv {

namespace {

constexpr std::string_view flagText(bool checked) {
    return checked ? "1" : "0";
}

void storeFlag(TSettingsAccessor& reg, std::string_view value, ValueKind kind, bool checked) {
    if (kind == ValueKind::Number)
        reg.StoreNumber(value, checked ? 1 : 0);
    else
        reg.StoreText(value, flagText(checked));
}

bool isSubKey(std::string_view key) {
    return key.size() > 1 && key.front() == '\\' && key.find('\\', 1) == std::string_view::npos;
}

std::int32_t decimal(std::string_view text) {
    std::int32_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

void readOne(TSettingsAccessor& reg, const StartUpRead& read, InitialStateView& view) {
    if (const TwoStateSetting* row = findTwoState(read.control)) {
        const bool checked = row->startUp == StartUp::Number ? reg.LoadNumber(read.value) == 1
                                                             : reg.LoadText(read.value) == "1";
        view.showChecked(row->control, checked);
        return;
    }
    if (read.control == DetailBias.control) {
        view.showChoice(DetailBias.control, std::clamp<std::int32_t>(reg.LoadNumber(read.value),
                                                                     DetailBias.minimum, DetailBias.maximum));
        return;
    }
    const ChoiceList& list = *findChoiceList(read.control);
    if (list.kind == ValueKind::Number) {
        if (const int item = itemForNumber(list, reg.LoadNumber(read.value)); item >= 0)
            view.showChoice(list.control, item);
        return;
    }
    const std::string text = reg.LoadText(read.value);
    const int item = itemForText(list, text);
    if (list.control == "AntiAlias") {
        // The anti-alias switch follows this list: "0" turns it off, an item turns it on.
        if (text == "0") {
            view.showChecked("FullSceneAA", false);
            view.showAntiAliasEnabled(false);
        } else if (item >= 0) {
            view.showAntiAliasEnabled(true);
            view.showChoice(list.control, item);
            view.showChecked("FullSceneAA", true);
        }
        return;
    }
    if (item >= 0)
        view.showChoice(list.control, item);
}

} // namespace

std::string settingKeyPath(std::string_view driverKeyPath, std::string_view key) {
    return isSubKey(key) ? std::string(driverKeyPath) + std::string(key) : std::string(key);
}

void storeTwoState(SettingsStore& store, std::string_view driverKeyPath, const TwoStateSetting& row,
                   bool checked) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(row.root);
    reg.OpenPath(settingKeyPath(driverKeyPath, row.key));
    storeFlag(reg, row.value, row.kind, checked);
}

void storeVsync(SettingsStore& store, std::string_view driverKeyPath, bool checked) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, DirectX));
    reg.StoreText("FlipOnVBlank", flagText(checked));
    reg.OpenPath(settingKeyPath(driverKeyPath, Atidxhal));
    reg.StoreText("Vsync", flagText(checked));
}

void storeTextureCompression(SettingsStore& store, std::string_view driverKeyPath, bool checked) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, Atidxhal));
    reg.StoreText("enableTextureCompression", flagText(checked));
    reg.StoreText("ExportCompressedTex", flagText(checked));
}

void storeFullSceneAA(SettingsStore& store, std::string_view driverKeyPath, bool checked) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, Atidxhal));
    reg.StoreText("AntiAlias", flagText(checked));
    if (checked)
        reg.StoreText("AntiAliasRatio", "384");
}

void clickAction(SettingsStore& store, std::string_view driverKeyPath, const TwoStateSetting& row,
                 bool checked) {
    switch (row.special) {
    case Special::None:
        return storeTwoState(store, driverKeyPath, row, checked);
    case Special::Vsync:
        return storeVsync(store, driverKeyPath, checked);
    case Special::TextureCompression:
        return storeTextureCompression(store, driverKeyPath, checked);
    case Special::FullSceneAA:
        return storeFullSceneAA(store, driverKeyPath, checked);
    }
}

void storeChoice(SettingsStore& store, std::string_view driverKeyPath, const ChoiceList& list, int item) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, list.key));
    if (item < 0 || static_cast<std::size_t>(item) >= list.items.size())
        return;
    const ChoiceItem& chosen = list.items[static_cast<std::size_t>(item)];
    if (list.kind == ValueKind::Number)
        reg.StoreNumber(list.value, chosen.storedNumber);
    else
        reg.StoreText(list.value, chosen.storedText);
}

void storeDetailBias(SettingsStore& store, std::string_view driverKeyPath, int position) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, DetailBias.key));
    reg.StoreNumber(DetailBias.value, position);
}

void storeAgpSpeed(SettingsStore& store, std::string_view driverKeyPath, int item) {
    const RadioSetting& group = agpSpeedSetting();
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, group.key));
    if (item >= 0 && static_cast<std::size_t>(item) < group.items.size())
        reg.StoreText(group.value, group.items[static_cast<std::size_t>(item)].storedText);
}

void storePresetValues(SettingsStore& store, std::string_view driverKeyPath, Mode mode) {
    TSettingsAccessor reg(store);
    const PresetValue* previous = nullptr;
    for (const PresetValue& row : presetValues()) {
        if (!previous || previous->root != row.root || previous->key != row.key) {
            reg.SelectRoot(row.root);
            reg.OpenPath(settingKeyPath(driverKeyPath, row.key));
        }
        previous = &row;
        const std::string_view data = row.data[static_cast<std::size_t>(mode)];
        if (row.kind == ValueKind::Number)
            reg.StoreNumber(row.value, decimal(data));
        else
            reg.StoreText(row.value, data);
    }
}

void storeRadeonLe(SettingsStore& store, std::string_view driverKeyPath) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(settingKeyPath(driverKeyPath, Atidxhal));
    for (const RadeonLeValue& value : radeonLeValues())
        reg.StoreText(value.value, value.text);
}

void readInitialStates(SettingsStore& store, int foundDisplayIndex, InitialStateView& view) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    const std::string adapter = adapterKeyPath(foundDisplayIndex);
    for (const StartUpKey& key : startUpKeys()) {
        reg.OpenPath(adapter + std::string(key.subKey));
        for (const StartUpRead& read : key.reads)
            if (reg.ValuePresent(read.value))
                readOne(reg, read, view);
    }
}

} // namespace kv
