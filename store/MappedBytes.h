// Reading a registry file's bytes. A file of 2 MB or more is mapped, not copied: a load walks
// it once and then looks at a few of its lines, so only the pages being looked at need to stay
// in memory, and the kernel's cache of the file serves the rest when a line is looked at again.
//
// Another program may cut the file short while it is mapped. A page past the new end then
// reads as zeros instead of stopping the program, and the bytes count as lost (see
// SourceBytes::lost).
#pragma once

#include "SourceBytes.h"

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>

namespace kv {

// The first size bytes of the open regular file fd; the file may be closed after. Where they
// cannot be mapped they are read into memory. Throws Failure, with the system's reason, when
// they cannot be read either.
SourceBytes readBytes(int fd, std::size_t size);

struct RegularFile {
    SourceBytes bytes;
    struct stat st {};
};

// The whole file, refusing anything but a regular file before opening it: opening a FIFO
// would wait for a writer for good. Throws Failure naming the file, with the system's reason
// when the system gave one.
RegularFile readRegularFile(const std::filesystem::path& file);

} // namespace kv
