// The failures of the file layer: what could not be done to which file, in a short text of
// the program's own, and the system's reason after it.
#pragma once

#include "Failure.h"

#include <filesystem>
#include <system_error>

namespace kv {

// Throws "file: what" with the reason; what is a text marked in the context "RegistryFile".
// Passed lastSystemReason() and a path that needs no conversion, nothing touches errno before
// the reason is taken.
[[noreturn]] void failOnFile(const std::filesystem::path& file, const char* what,
                             std::error_code reason = {});

// Throws "file: changed by another program meanwhile": a program that does not lock changed the
// file under the store, which gives its change up rather than write over the other's.
[[noreturn]] void failChangedMeanwhile(const std::filesystem::path& file);

} // namespace kv
