// What changed between two states of a registry file, as counts and as a REGEDIT4 patch; and
// the changes of one state since a baseline, put onto a third state that moved on meanwhile.
//
// The patch holds only the differences, one section per changed key, in the order the keys
// appear in the newer file: removed keys as "[-path]", new and changed values, removed values
// as "name"=-. Imported by regedit on top of the older state, it gives exactly the newer tree,
// but for new keys that hold no value anywhere below them: those are no change, counted nowhere.
#pragma once

#include "KeyTree.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One step of a patch, as regedit imports one: setting a value makes the keys on its path that
// are missing; removing what is not there changes nothing.
struct PatchStep {
    enum class Kind { SetValue, RemoveValue, RemoveKey };
    Kind kind = Kind::SetValue;
    KeyPath path;   // in the tree, hive first
    RegValue value; // its name only, for RemoveValue
};

// A value, or a whole key (no value name), that both sides changed since the baseline, each
// in its own way: the machine's change wins.
struct Collision {
    KeyPath path;
    std::optional<std::string> valueName;
};

struct MergedPatch {
    std::vector<PatchStep> steps;
    std::vector<Collision> collisions;
};

// What machine changed since base, as the steps that put it onto current: the state that the
// files reached meanwhile, whose other changes stay. A step that current holds already is left
// out; a key that machine made without values is no change. Names compare as the registry
// compares them; a hive is never removed as a whole. Every tree is a top holding hives.
MergedPatch mergeOnto(const RegKey& base, const RegKey& machine, const RegKey& current);

// The steps as a REGEDIT4 patch without its header line, one section per step, CR LF line ends.
std::string patchSections(const std::vector<PatchStep>& steps);

} // namespace kv
