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

// The calls through which files are changed, each with its system call's contract. An empty
// one is the system call; tests pass ones that fail, or that record every call.
struct FileCalls {
    WriteFunction write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd, off_t length)> truncate;
    std::function<int(const char* from, const char* to)> rename;

    // Writes all of bytes, going on after short writes. Throws Failure naming file, with the
    // system's reason.
    void writeAll(int fd, std::string_view bytes, const std::filesystem::path& file) const;
    int callFsync(int fd) const;
    int callTruncate(int fd, off_t length) const;
    int callRename(const char* from, const char* to) const;
};

// Writes pieces, in order, as target's new content with the given mode. Throws Failure naming
// the target (the folder when only its sync failed), with the system's reason; the target is
// then untouched and no temporary file is left.
// beforeRename, when given, runs once the new content is on disk and may throw to give it up.
void replaceFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                           mode_t mode, const FileCalls& calls = {},
                           const std::function<void()>& beforeRename = {});

// Writes pieces as a new file at target, as replaceFileAtomically does, unless a file is there
// already, which is then left as it is: false. A crash leaves no file or the whole one.
bool createFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                          mode_t mode);

// fsync of a folder, so that the entries made in it survive a crash. Throws Failure naming the
// folder, with the system's reason.
void syncFolder(const std::filesystem::path& folder, const FileCalls& calls = {});

// Sets the file's modification time two seconds back. Any later change, even within the same
// clock tick or on a file system that keeps times to two seconds, then gives the file a later
// time, so its time alone tells this content from any later one.
void setModifiedTwoSecondsBack(int fd);

// Removes the temporary files that writers killed mid-write left beside target. A writer holds
// a lock on its temporary file while it works, and a young one may not hold it yet, so files
// that are locked or were changed in the last seconds are left alone.
void removeStaleTemporaries(const std::filesystem::path& target);

} // namespace kv
