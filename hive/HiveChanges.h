// A change set for a registry file, by key path from the file's root key.
#pragma once

#include "Hive.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::hive {

struct Change {
    enum class Kind { SetValue, RemoveValue, AddKey, RemoveKey };
    Kind kind = Kind::SetValue;
    std::vector<std::string> path; // key names from the root key down
    std::string name;              // the value's, for SetValue and RemoveValue
    std::uint32_t type = 0;
    std::string data;
};

std::optional<Hive::Key> findKey(const Hive& hive, const std::vector<std::string>& path);

// Applies the changes in order, as regedit would: setting a value or adding a key makes the keys
// on its path that are missing; removing what is not there changes nothing.
void applyChanges(Hive& hive, const std::vector<Change>& changes);

} // namespace kv::hive
