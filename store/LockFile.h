// The lock that every writer of a registry file holds while it changes the file, and a reader
// while it loads it: a lock file beside it, FILE.lock, which stays when the lock is let go.
// Kavendel processes honour it; other programs, the user's editor among them, do not, which
// is why the store still checks the file under the lock before it writes.
#pragma once

#include "FileDescriptor.h"

#include <filesystem>

namespace kv {

class LockFile {
public:
    // Shared among readers, never with a writer: an append is never read half-written.
    enum class Mode { Shared, Exclusive };

    // Waits for the lock on file. Throws Failure, with the system's reason, when the lock file
    // cannot be made or locked.
    LockFile(const std::filesystem::path& file, Mode mode);

private:
    FileDescriptor m_fd; // the lock goes when the descriptor closes
};

} // namespace kv
