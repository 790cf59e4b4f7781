// Windows 98's binary registry files (SYSTEM.DAT, USER.DAT), read with libcreg and written out
// as the REGEDIT4 text regedit would export: keys in the hive's order, names and strings as the
// files' CP932 bytes, CR LF line ends.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kv {

class HiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// SYSTEM.DAT becomes HKEY_LOCAL_MACHINE and USER.DAT HKEY_USERS. Throws HiveError naming the
// file when it is missing, is not a registry file, or is truncated or damaged.
std::string exportHives(const std::filesystem::path& systemDat, const std::filesystem::path& userDat);

} // namespace kv
