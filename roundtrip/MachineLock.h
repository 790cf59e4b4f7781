// The machine folder's lock: the store's lock on registry.reg, taken where the store's writers
// take it, beside the file a link leads to. A write-back into Windows, a restore and the
// recovery of a write cut short hold it from their first read to their last write, so that they
// never overlap one another; the window's stores wait for them meanwhile.
#pragma once

#include "LockFile.h"

#include <filesystem>

namespace kv {

// Where a link leads, or file itself when it is no link to a file that is there.
std::filesystem::path linkTarget(const std::filesystem::path& file);

class MachineLock {
public:
    // Waits for the lock. Throws a Failure when the lock file cannot be made or locked.
    explicit MachineLock(const std::filesystem::path& machineDir);

private:
    LockFile m_lock;
};

} // namespace kv
