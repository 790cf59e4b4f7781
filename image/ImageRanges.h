// Reading and writing byte ranges of the disk inside an image: by descriptor for a raw image, and
// through qemu-img and qemu-io for the other formats, one run for a whole batch of ranges.
#pragma once

#include "ImageCalls.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kv::image {

struct DiskRange {
    std::uint64_t offset = 0; // from the disk's first byte
    std::size_t length = 0;
};

struct DiskWrite {
    std::uint64_t offset = 0;
    std::string bytes;
};

// The bytes of each range, in order; bytesRead grows by what was taken from the image. Throws
// a Failure when a range lies past the image's end or a program fails.
std::vector<std::string> readDiskRanges(const std::filesystem::path& image, const std::string& format,
                                        const std::vector<DiskRange>& ranges, const ImageCalls& calls,
                                        std::uint64_t& bytesRead);

// Writes every range and makes it durable (fsync for a raw image; qemu-io flushes before it
// ends). Throws a Failure.
void writeDiskRanges(const std::filesystem::path& image, const std::string& format,
                     const std::vector<DiskWrite>& writes, const ImageCalls& calls);

} // namespace kv::image
