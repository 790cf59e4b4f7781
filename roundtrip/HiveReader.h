// Windows 98's binary registry files (SYSTEM.DAT, USER.DAT), read with libcreg and written out
// as the REGEDIT4 text regedit would export: keys in the hive's order, names and strings as the
// files' CP932 bytes, CR LF line ends.
#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kv {

class HiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The deepest key a hive may hold, its root being level 0; Windows itself stops far sooner.
constexpr std::size_t MaxHiveDepth = 512;

// The system file becomes HKEY_LOCAL_MACHINE and the user file HKEY_USERS, in whichever order
// they are given: a user file is the one whose root holds ".DEFAULT". Throws HiveError naming
// the file when it is missing, is not a registry file, is truncated or damaged (a key reached
// twice, a tree deeper than MaxHiveDepth, an export out of all proportion to the file), or
// when both files are of the same kind.
std::string exportHives(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace kv
