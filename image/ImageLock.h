// Whether another program has the image open for its own use, as QEMU shows it: QEMU takes
// open-file-description locks on bytes 100 and up (what it does with the image) and 200 and up
// (what it forbids others), and tests them before it opens an image. Kavendel takes the same
// locks while it writes a raw image, so an emulator started meanwhile refuses to run on it. An
// emulator that takes no lock at all still has the file open, which /proc shows.
//
// Kavendel's own lock, held by a write-back from the first byte it reads to the last it writes,
// lies on a byte QEMU never locks, so that two Kavendels on one image are told apart from an
// emulator and qemu-io, run under it, is not kept off.
#pragma once

#include "Message.h"
#include "RawFile.h"

#include <filesystem>
#include <set>
#include <string>
#include <sys/types.h>
#include <utility>

namespace kv::image {

// The sentence for an image that another program holds.
Message inUseMessage(const std::filesystem::path& image);

// The sentence for an image that another Kavendel is writing into.
Message inUseByKavendelMessage(const std::filesystem::path& image);

// Whether a lock that another open file holds on fd's file (fcntl locks of either kind over any
// byte but Kavendel's own, or a flock) is there.
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

// Kavendel's own lock on an image, for as long as the object lives. Taking it throws a Failure
// when another Kavendel holds it, or when the image cannot be opened for writing.
class KavendelImageLock {
public:
    explicit KavendelImageLock(const std::filesystem::path& image);

private:
    RawFile m_file;
};

} // namespace kv::image
