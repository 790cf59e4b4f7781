// Adapter and driver discovery: finds the display driver's keys in the registry, fixes the
// program-wide values and gathers the texts of the summary page. It only reads.
#pragma once

#include "OsVersion.h"
#include "ProgramValues.h"

#include <optional>
#include <string>

namespace kv {

class Dialogs;
class SettingsStore;

// "不明" in the interface language, for what discovery does not find (UTF-8).
std::string unknownText();

// What discovery tells the summary page; display texts in UTF-8.
struct SummaryTexts {
    std::string boardName = "ATI All in Wonder Radeon";
    std::string agpMode = unknownText();
    std::string driverVersion = unknownText();
    std::string memoryType = unknownText();
    std::string memorySize = unknownText();
    std::string optionDevices[4];
    std::optional<std::string> caption; // set when discovery changes the window caption
    bool quitRequested = false;
};

// Runs every step in order, writing values and texts as it goes, so a store error that ends it
// leaves what was found so far. Shows the one message box of an NT machine without the driver.
void discoverAdapter(SettingsStore& store, const std::optional<OsVersion>& os, Dialogs& dialogs,
                     ProgramValues& values, SummaryTexts& texts);

// The description (DriverDesc, UTF-8) of the display driver that discovery accepts on a
// Windows 95/98/Me machine, as discoverAdapter finds it; nothing when it accepts none.
std::optional<std::string> windows9xDisplayDriver(SettingsStore& store);

// A key name from a prefix and an index in four digits: "...\Display\" + "0012".
std::string indexedKey(std::string_view prefix, int index);
// "\SOFTWARE\ATI Technologies\Driver\" and the display index in four digits.
std::string adapterKeyPath(int index);

// The texts of the steps, exposed for their tests.
std::string memorySizeText(std::string_view size);
std::string agpModeText(std::string_view agpTransfer);
std::string driverVersionText(std::string_view version);
std::string memoryTypeText(const std::string& memorySize, std::string_view boardName);

} // namespace kv
