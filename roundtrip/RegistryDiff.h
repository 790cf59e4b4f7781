// What changed between two states of a registry file, as counts and as a REGEDIT4 patch.
//
// The patch holds only the differences, one section per changed key, in the order the keys
// appear in the newer file: removed keys as "[-path]", new and changed values, removed values
// as "name"=-. Imported by regedit on top of the older state, it gives exactly the newer tree,
// but for new keys that hold no value anywhere below them: those are no change, counted nowhere.
#pragma once

#include "KeyTree.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

struct DiffCount {
    std::size_t keys = 0;   // present on one side only
    std::size_t values = 0; // added, removed or changed, including those of added or removed keys
    bool operator==(const DiffCount&) const = default;
};

DiffCount countDifferences(const RegKey& before, const RegKey& after);

// True when key, or a key anywhere below it, holds a value.
bool holdsAValue(const RegKey& key);

// Both arguments are whole REGEDIT4 files; the patch is CP932 text with CR LF line ends.
// Throws Failure when either is not REGEDIT4 text.
std::string changesPatch(std::string_view beforeFile, std::string_view afterFile);

} // namespace kv
