// Small file helpers of the round trip: a whole file's bytes, and a folder made durable.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kv {

// The file's bytes, or nullopt when there is no regular file there. Throws std::system_error
// when the file is there but cannot be read.
std::optional<std::string> readIfPresent(const std::filesystem::path& file);

// fsync of a folder, so that the entries made in it survive a crash. Throws std::system_error.
void syncFolder(const std::filesystem::path& folder);

} // namespace kv
