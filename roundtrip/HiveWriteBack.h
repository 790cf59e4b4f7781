// Writing a machine's registry back into Windows 98's own registry files, as regedit imports a
// patch: what the machine changed since its baseline (the registry as last imported or written
// back) goes into the files as they are now, under HKEY_LOCAL_MACHINE into SYSTEM.DAT and under
// HKEY_USERS into USER.DAT. What Windows changed meanwhile stays, unless the machine changed the
// same value too: the machine's change wins, and is named. Everything else in the files stays
// byte for byte as it was.
#pragma once

#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "Snapshots.h"
#include "WritePlan.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The machine's registry as a write-back reads it. A line that the store cannot read would lose
// its value in the files, so such a line is a Failure naming the file, its number and its text.
RegistryDocument registryToWriteBack(const std::filesystem::path& machineDir);

// The machine folder's baseline: an empty registry when it has none yet (made before baselines
// were kept, or with --create), so that every value the machine holds is written and nothing is
// removed.
RegistryDocument baselineOf(const std::filesystem::path& machineDir);

struct WrittenHives {
    std::string systemDat, userDat;
    std::size_t changes = 0; // values set or removed, keys removed
    std::vector<Collision> collisions;
    std::vector<PlannedValueChange> registry; // each change, with the value the files held
};

// The two files' new bytes, for a caller that puts them somewhere itself (a disk image). Each
// has passed the registry file checker. Throws a Failure, naming the file, when one is damaged,
// not a registry file or the changes cannot be held in it, and when the machine changed a key
// that neither file holds.
WrittenHives hivesWithMachineChanges(const RegKey& baseline, const RegKey& machine,
                                     std::string_view systemDat, std::string_view userDat);

struct HiveWriteReport {
    std::filesystem::path systemDat, userDat; // as told apart by what they hold
    std::size_t changes = 0;
    std::uint64_t snapshot = 0; // 0 when nothing was written
    std::vector<Collision> collisions;
    WritePlan plan; // the registry's changes and the files replaced, by their host paths
};

// Does the above on two files, given in either order and told apart by what they hold, under the
// machine folder's lock: takes a snapshot that also keeps both originals (snapshots/ID/originals/), replaces
// each file that changes atomically (a temporary file beside it, fsync, rename), then makes the machine's
// registry its baseline.
HiveWriteReport writeMachineHives(const std::filesystem::path& machineDir, const std::filesystem::path& first,
                                  const std::filesystem::path& second);
// What writeMachineHives would do, reading the same files and taking no lock; nothing is written.
HiveWriteReport planMachineHives(const std::filesystem::path& machineDir, const std::filesystem::path& first,
                                 const std::filesystem::path& second);

// Plans putting back the registry files that a snapshot's write-back replaced, at their paths.
// Refuses, changing nothing, when one of them is no longer as the write-back left it (Windows ran
// since).
OutsideRestore planHiveRestore(const std::vector<OutsideFile>& files);

// "KEY" for a key, "KEY \"name\"" for a value (@ for the default one), in UTF-8, for a report.
std::string collisionText(const Collision& collision);

} // namespace kv
