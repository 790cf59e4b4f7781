// Replacing a file's content so that a crash, a power cut or a full disk leaves the old bytes
// or the new, never a mix and never an empty file: a temporary file beside the target, written,
// fsynced, renamed over the target, then the folder fsynced. The registry file and the games'
// configuration files are saved this way.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace kv {

// write(2)'s contract: bytes written, or -1 with errno set. Tests pass one that fails.
using WriteFunction = std::function<ssize_t(int fd, const char* data, std::size_t size)>;

// Writes pieces, in order, as target's new content with the given mode. Throws std::system_error
// naming the step that failed; the target is then untouched and no temporary file is left.
void replaceFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                           mode_t mode, const WriteFunction& write = {});

// Removes the temporary files that writers killed mid-write left beside target. Call it only
// while no other writer of target can be at work (under the writers' lock).
void removeStaleTemporaries(const std::filesystem::path& target);

} // namespace kv
