// The boot sector of a FAT volume, read in one place: the partition probe asks whether a sector
// starts a FAT volume and how large it is, and the volume takes its whole layout from it.
#pragma once

#include "DiskImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv::image {

struct FatGeometry {
    int fatBits = 0; // 12, 16 or 32
    std::uint32_t bytesPerSector = 0;
    std::uint32_t clusterSize = 0;
    std::uint64_t fatOffset = 0;
    std::uint64_t fatSize = 0; // bytes of one FAT
    int fatCount = 0;
    // FAT32 with mirroring off: the one FAT Windows reads and writes; -1 when every copy is kept.
    int activeFat = -1;
    std::uint64_t rootOffset = 0; // the fixed root folder of FAT12/16
    std::uint64_t rootSize = 0;
    std::uint32_t rootCluster = 0; // FAT32's root folder
    std::uint64_t dataOffset = 0;
    std::uint32_t clusterCount = 0;
    std::uint64_t fsInfoOffset = 0; // FAT32, 0 when there is none
    std::uint64_t volumeSize = 0;
};

// The layout a boot sector (its first 512 bytes at least) describes, or nullopt when it is no FAT
// boot sector; why then points to the text, marked in the context "DiskImage", of what is wrong.
std::optional<FatGeometry> parseBootSector(std::string_view sector, const char** why = nullptr);

// Whether sector starts a FAT volume, and the bytes of that volume.
bool isFatBootSector(std::string_view sector);
std::uint64_t fatVolumeBytes(std::string_view bootSector);

// The layout of the volume. Throws a Failure of Fault::damagedFileSystem when it is not a FAT
// volume that fits its partition; a failure to read the image itself is of no fault.
FatGeometry readGeometry(Volume& volume);

} // namespace kv::image
