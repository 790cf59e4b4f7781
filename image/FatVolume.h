// The FAT file system inside a disk image's volume, read and changed by Kavendel itself: finding
// a file by its Windows path (long names, and short names in CP932), reading it, and replacing,
// deleting or creating files. A change touches only a cache of the volume's blocks; writes()
// gives exactly the bytes that differ, so nothing reaches the image until the caller puts them
// there in one step.
#pragma once

#include "DiskImage.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::image {

// One file or folder: its short entry and the long-name entries in front of it.
struct FatEntry {
    std::string shortName;   // "NAME.EXT", CP932 bytes
    std::u16string longName; // empty when it has none
    std::uint8_t attributes = 0;
    std::uint32_t firstCluster = 0;
    std::uint32_t size = 0;
    std::uint64_t slot = 0;                   // volume offset of the short entry
    std::vector<std::uint64_t> longNameSlots; // volume offsets of the long-name entries

    static constexpr std::uint8_t ReadOnly = 0x01;
    static constexpr std::uint8_t Directory = 0x10;
    bool isDirectory() const { return (attributes & Directory) != 0; }
};

struct FatGeometry {
    int fatBits = 0; // 12, 16 or 32
    std::uint32_t bytesPerSector = 0;
    std::uint32_t clusterSize = 0;
    std::uint64_t fatOffset = 0;
    std::uint64_t fatSize = 0; // bytes of one FAT
    int fatCount = 0;
    std::uint64_t rootOffset = 0; // the fixed root folder of FAT12/16
    std::uint64_t rootSize = 0;
    std::uint32_t rootCluster = 0; // FAT32's root folder
    std::uint64_t dataOffset = 0;
    std::uint32_t clusterCount = 0;
    std::uint64_t fsInfoOffset = 0; // FAT32, 0 when there is none
    std::uint64_t volumeSize = 0;
};

// Reads the boot sector. Throws a Failure naming what is wrong when it is not a FAT volume that
// fits its partition.
//
// Where the volume is not FAT, is damaged where Kavendel needs it, or cannot hold a change, the
// Failure is of Fault::damagedFileSystem; a failure to read the image itself is not.
FatGeometry readGeometry(Volume& volume);

class FatVolume {
public:
    explicit FatVolume(Volume& volume);

    const FatGeometry& geometry() const { return m_geometry; }

    // The entry a Windows path names ("C:\WINDOWS\X", "\X"; CP932), matched without regard to
    // case against long and short names. nullopt when it is missing or leaves the root.
    std::optional<FatEntry> find(std::string_view windowsPath);

    // The file's bytes. Throws (Fault::damagedFileSystem) when it is larger than maxSize or its cluster chain
    // is broken (a loop, a free or bad cluster, a cluster past the end, shorter than the size).
    std::string read(const FatEntry& file, std::uint64_t maxSize);

    // Changes, kept in the block cache until writes() hands them out.
    void replace(const FatEntry& file, std::string_view bytes);
    void remove(const FatEntry& file);
    // Creates the file, and its missing folders, with short names; a name that is not 8.3
    // ASCII is refused. An existing file is replaced instead.
    void create(std::string_view windowsPath, std::string_view bytes);

    // The bytes that differ from the volume as read, in runs, in offset order, each with the bytes
    // it was read with.
    std::vector<VolumeWrite> writes() const;

private:
    struct Block {
        std::string bytes;
        std::string original; // kept from the first change on
        bool dirty = false;
    };
    Block& block(std::uint64_t index);
    std::string readBytes(std::uint64_t offset, std::size_t length);
    void writeBytes(std::uint64_t offset, std::string_view bytes);
    void evictClean();

    std::uint32_t fatEntry(std::uint32_t cluster);
    void setFatEntry(std::uint32_t cluster, std::uint32_t value);
    bool isEnd(std::uint32_t value) const;
    std::uint32_t endMark() const;
    std::uint64_t clusterOffset(std::uint32_t cluster) const;
    std::vector<std::uint32_t> chain(std::uint32_t first, std::uint64_t limit, bool wholeChain);
    std::uint32_t allocate();
    void freeChain(std::uint32_t first);

    // A folder's slots: volume offsets of each 32-byte entry, in order.
    std::vector<std::uint64_t> folderSlots(const std::optional<FatEntry>& folder);
    std::vector<FatEntry> list(const std::optional<FatEntry>& folder);
    std::optional<FatEntry> findIn(const std::optional<FatEntry>& folder, std::string_view name);
    std::vector<std::uint64_t> freeSlots(const std::optional<FatEntry>& folder, std::size_t count);
    FatEntry addEntry(const std::optional<FatEntry>& folder, std::string_view name, std::uint8_t attributes,
                      std::uint32_t firstCluster, std::uint32_t size);
    std::uint32_t writeChain(std::vector<std::uint32_t> clusters, std::string_view bytes);
    void updateFsInfo();

    Volume& m_volume;
    FatGeometry m_geometry;
    std::map<std::uint64_t, Block> m_blocks;
    std::uint32_t m_nextFree = 2;
    std::int64_t m_freeDelta = 0; // clusters freed minus clusters taken
};

} // namespace kv::image
