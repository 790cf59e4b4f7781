// Where the FAT volume lies on a disk: an MBR partition (chosen, or the only FAT one, or the active
// one among several), or a bare volume whose boot sector is the disk's first sector.
#pragma once

#include "Message.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv::image {

constexpr std::size_t SectorSize = 512;

struct VolumeExtent {
    int partition = 0; // 1-4, or 0 for a bare volume
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    // Set when the partition was taken among several FAT ones without being asked for: which,
    // and why, for the caller to tell the user. The library itself prints nothing.
    std::optional<Message> choice = std::nullopt;
};

// firstSector is the disk's first 512 bytes, diskSize the bytes the disk holds; name starts the
// messages. Throws a Failure when the table is unusable, points past the disk's end, or has no
// such FAT partition.
VolumeExtent findVolume(std::string_view firstSector, std::uint64_t diskSize, std::optional<int> partition,
                        const std::string& name);

} // namespace kv::image
