// Whether another program has the image open for its own use, as QEMU shows it: QEMU takes
// open-file-description locks on bytes 100 and up (what it does with the image) and 200 and up
// (what it forbids others), and tests them before it opens an image. Kavendel takes the same
// locks while it writes a raw image, so an emulator started meanwhile refuses to run on it. An
// emulator that takes no lock at all still has the file open, which /proc shows.
#pragma once

#include "Message.h"

#include <filesystem>
#include <set>
#include <string>
#include <sys/types.h>
#include <utility>

namespace kv::image {

// The sentence for an image that another program holds.
Message inUseMessage(const std::filesystem::path& image);

// Whether a lock that another open file holds on fd's file (fcntl locks of either kind over any
// byte, or a flock) is there.
bool lockedByOthers(int fd);

// The files that other processes have open, of every user whose processes this one may see,
// taken at one moment: an emulator that takes no lock, or QEMU with locking turned off, shows
// only this way. Taken once, it answers for many files.
class OpenFiles {
public:
    static OpenFiles ofOtherProcesses();
    bool contains(const std::filesystem::path& file) const;

private:
    std::set<std::pair<dev_t, ino_t>> m_files;
};

// Whether another process has the file open, as OpenFiles sees it.
bool openedByOthers(const std::filesystem::path& file);

// Takes QEMU's shared locks for "reads consistently, writes" and "lets no one else write" on fd,
// held until fd is closed. False when another lock stands in the way.
bool holdWriterLocks(int fd);

} // namespace kv::image
