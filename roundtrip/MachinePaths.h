// The Windows paths of the files Kavendel reads or changes on a machine, as its registry names
// them: what an import takes out of a disk image, a snapshot records, and a write-back returns.
#pragma once

#include "SettingsStore.h"

#include <optional>
#include <string>
#include <vector>

namespace kv {

struct MachinePaths {
    std::vector<std::string> changeable; // the games' configuration files, the driver's INF files
    std::vector<std::string> readOnly;   // the games' icons
    std::optional<std::string> startupFolder;
};

// Paths are CP932 bytes, as the registry holds them; games and values that are missing give none.
MachinePaths machinePaths(SettingsStore& store);

} // namespace kv
