// Windows 98's binary registry files (SYSTEM.DAT, USER.DAT), read with libcreg and written out
// as the REGEDIT4 text regedit would export: keys in the hive's order, names and strings as the
// files' CP932 bytes, CR LF line ends.
#pragma once

#include "Failure.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kv {

// The deepest key a hive may hold, its root being level 0: far deeper than real registries go.
constexpr std::size_t MaxHiveDepth = 512;
// The largest registry file taken out of a disk image: a Windows 98 hive stays well below this, so
// anything larger is not one.
constexpr std::uint64_t MaxHiveSize = 128u << 20;

// One file's keys as regedit exports them, under HKEY_USERS for a user file (one whose root
// holds ".DEFAULT") and HKEY_LOCAL_MACHINE for a system file. Throws a Failure naming the file
// when it is missing, is not a registry file, or is truncated or damaged (a key reached twice,
// a tree deeper than MaxHiveDepth, a name regedit's lines cannot carry, an export out of all
// proportion to the file): of Fault::badUsage, as the file given is not one that can be read.
struct HiveExport {
    bool holdsUsers;
    std::string text;
};
HiveExport readHive(const std::filesystem::path& file);

// The system file becomes HKEY_LOCAL_MACHINE and the user file HKEY_USERS, in whichever order
// they are given, read as readHive reads them. Throws as readHive does, and when
// both files are of the same kind.
std::string exportHives(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace kv
