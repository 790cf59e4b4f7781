// Making a machine folder from a real Windows 98 computer: its registry, exported whole by
// regedit or read from its binary registry files, and optionally its drive C.
#pragma once

#include "Failure.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// Checks that dir is new or empty and that driveC, when given, is a folder. Throws Failure.
void checkImportTarget(const std::filesystem::path& dir, const std::optional<std::filesystem::path>& driveC);

// Creates the machine folder dir: registry.reg holding registryBytes exactly, the same bytes as
// its baseline, and drive_c/, or a link named drive_c to driveC. Checks as checkImportTarget does first. On failure, what it
// created is removed again. Throws Failure.
void createMachine(const std::filesystem::path& dir, const std::string& registryBytes,
                   const std::optional<std::filesystem::path>& driveC);

// A whole-registry export, kept byte for byte. Throws a Failure of Fault::badUsage, naming the
// file, when it is not REGEDIT4 text, and a Failure for the rest.
void importRegistryExport(const std::filesystem::path& dir, const std::filesystem::path& regFile,
                          const std::optional<std::filesystem::path>& driveC);

// SYSTEM.DAT and USER.DAT in either order, written as regedit exports them. Throws a Failure,
// of Fault::badUsage when a file is no registry file. A file that libcreg reads but that breaks
// a rule of the format or a limit of Windows 95/98/Me is still imported; the Failures returned
// name each such file and the rule, for the user to hear that Kavendel will not write into it.
[[nodiscard]] std::vector<Failure> importHives(const std::filesystem::path& dir,
                                               const std::filesystem::path& first,
                                               const std::filesystem::path& second,
                                               const std::optional<std::filesystem::path>& driveC);

} // namespace kv
