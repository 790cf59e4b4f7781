// Writing a machine's registry back into Windows 98's own registry files: what registry.reg
// holds under HKEY_LOCAL_MACHINE goes into SYSTEM.DAT and what it holds under HKEY_USERS into
// USER.DAT, as the few changes that make each file hold exactly that. Everything else in the
// files stays byte for byte as it was.
#pragma once

#include "Snapshots.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct WrittenHives {
    std::string systemDat, userDat;
    std::size_t changes = 0; // values set or removed, keys added or removed
};

// The two files' new bytes, for a caller that puts them somewhere itself (a disk image). Each
// has passed the registry file checker. Throws a Failure, naming the file, when one is damaged,
// not a registry file or the changes cannot be held in it, and also when the machine's
// registry cannot be read or has no HKEY_LOCAL_MACHINE or HKEY_USERS.
WrittenHives hivesWithMachineChanges(const std::filesystem::path& machineDir, std::string_view systemDat,
                                     std::string_view userDat);

// Does the above on the files themselves, under the machine folder's lock: takes a snapshot that
// also keeps both originals (snapshots/ID/originals/), then replaces each file atomically (a
// temporary file beside it, fsync, rename). Files that would not change are not written.
// Returns a line for the user.
std::string writeMachineHives(const std::filesystem::path& machineDir, const std::filesystem::path& systemDat,
                              const std::filesystem::path& userDat);

// Puts back the registry files that a snapshot's write-back replaced, at their paths. Refuses,
// changing nothing, when one of them is no longer as the write-back left it (Windows ran since).
void restoreHiveFiles(const std::vector<OutsideFile>& files);

} // namespace kv
