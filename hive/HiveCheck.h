// The invariant checker of a registry file. It runs on every file read and again on every file
// before it is written: a file that breaks a rule is neither changed nor written, and the error
// names the rule. What it learns on the way, where each block and record lies, is the index
// the model works with.
#pragma once

#include "Failure.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::hive {

// The rules. A file that breaks one fails with the rule's name as its first message and what is
// wrong as the next.
namespace rule {
inline constexpr const char* Header = "file header";
inline constexpr const char* KeyArea = "key area";
inline constexpr const char* Checksum = "checksum";
inline constexpr const char* Slot = "key slot";
inline constexpr const char* TreeLinks = "tree links";
inline constexpr const char* Hash = "name hash";
inline constexpr const char* Ids = "key ids";
inline constexpr const char* FreeSlots = "free key slots";
inline constexpr const char* Block = "data block";
inline constexpr const char* Record = "key record";
inline constexpr const char* FreeRecords = "free records";
} // namespace rule

struct BlockIndex {
    std::uint32_t offset = 0; // in the file
    std::uint32_t size = 0;
    std::array<std::uint32_t, 255> records{}; // each id's record, from the block's start; 0 for none
};

struct Layout {
    std::uint32_t keyAreaSize = 0;
    std::vector<BlockIndex> blocks;
};

// Checks every rule and returns the index, or throws the Failure above.
Layout checkHive(std::string_view bytes);

} // namespace kv::hive
