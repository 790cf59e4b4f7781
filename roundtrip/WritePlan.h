// What a write-back, a restore or a hand-over to Windows changes, worked out before anything is
// written: the same plan is carried out, shown by --dry-run, and named afterwards.
#pragma once

#include "RegistryDiff.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// One step of the registry's change, with the value as it was before (nullopt: none).
struct PlannedValueChange {
    PatchStep step;
    std::optional<RegValue> before;
};

// A file created (no size before), replaced, or deleted (no size after).
struct PlannedFile {
    std::string path; // UTF-8: a Windows path ("C:\WINDOWS\SYSTEM.DAT") or a host path
    std::optional<std::uint64_t> sizeBefore, sizeAfter;
};

struct WritePlan {
    std::vector<PlannedValueChange> registry;
    std::vector<PlannedFile> files;
};

// The steps, each with what before holds at its place; before is a top holding hives.
std::vector<PlannedValueChange> plannedValueChanges(const std::vector<PatchStep>& steps,
                                                    const RegKey& before);

// What turning before into after changes, both tops holding hives.
std::vector<PlannedValueChange> plannedDifferences(const RegKey& before, const RegKey& after);

// The size of a file's bytes, or nullopt when it is not there.
std::optional<std::uint64_t> sizeOfBytes(const std::optional<std::string>& bytes);

// The size a fingerprint's text ("SIZE:SHA256") tells, or nullopt for an empty text (deleted).
std::optional<std::uint64_t> sizeOfFingerprint(const std::string& text);

} // namespace kv
