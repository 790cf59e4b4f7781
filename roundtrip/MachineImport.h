// Making a machine folder from a real Windows 98 computer: its registry, exported whole by
// regedit or read from its binary registry files, and optionally its drive C.
#pragma once

#include "Failure.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace kv {

// Anything that keeps an import from starting; nothing has been created then.
class ImportError : public Failure {
public:
    explicit ImportError(const std::string& text)
        : Failure(Message::verbatim(text)) {}
};

// Checks that dir is new or empty and that driveC, when given, is a folder. Throws ImportError.
void checkImportTarget(const std::filesystem::path& dir, const std::optional<std::filesystem::path>& driveC);

// Creates the machine folder dir: registry.reg holding registryBytes exactly, and drive_c/, or a
// link named drive_c to driveC. Checks as checkImportTarget does first. On failure, what it
// created is removed again.
void createMachine(const std::filesystem::path& dir, const std::string& registryBytes,
                   const std::optional<std::filesystem::path>& driveC);

// A whole-registry export, kept byte for byte. Throws Failure of Fault::badUsage, naming the
// file, when it is not REGEDIT4 text, and ImportError for the rest.
void importRegistryExport(const std::filesystem::path& dir, const std::filesystem::path& regFile,
                          const std::optional<std::filesystem::path>& driveC);

// SYSTEM.DAT and USER.DAT in either order, written as regedit exports them. Throws HiveError or
// ImportError.
void importHives(const std::filesystem::path& dir, const std::filesystem::path& first,
                 const std::filesystem::path& second, const std::optional<std::filesystem::path>& driveC);

} // namespace kv
