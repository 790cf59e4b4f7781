#include "MachinePaths.h"

#include "Failure.h"
#include "GameTable.h"
#include "SettingsAccessor.h"
#include "StartupPatch.h"
#include "Uninstall.h"

namespace kv {

namespace {

// A text value, or nullopt when it is missing or holds something else.
std::optional<std::string> textValue(const TSettingsAccessor& reg, std::string_view name) {
    try {
        if (reg.ValuePresent(name))
            return reg.LoadText(name);
    } catch (const Failure&) {
    }
    return std::nullopt;
}

} // namespace

MachinePaths machinePaths(SettingsStore& store) {
    MachinePaths paths;
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    for (const GameRow& game : GameTable) {
        if (!reg.OpenPathForReading(game.gameKey))
            continue;
        if (const auto installDir = textValue(reg, game.installDirValue)) {
            paths.changeable.push_back(*installDir + std::string(game.configFile));
            if (!game.iconFile.empty())
                paths.readOnly.push_back(*installDir + std::string(game.iconFile));
        }
    }
    if (reg.OpenPathForReading("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"))
        if (const auto systemRoot = textValue(reg, "SystemRoot"))
            for (std::string_view inf : DriverInfFiles)
                paths.changeable.push_back(*systemRoot + std::string(inf));
    paths.startupFolder = startupFolderOf(store.tree());
    return paths;
}

} // namespace kv
