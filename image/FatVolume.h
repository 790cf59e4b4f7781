// The FAT file system inside a disk image's volume, read and changed by Kavendel itself: finding
// a file by its Windows path (long names, and short names in CP932), reading it, and replacing,
// deleting or creating files. A change touches only a cache of the volume's blocks; writes()
// gives exactly the bytes that differ, so nothing reaches the image until the caller puts them
// there in one step. Files are here; folders and their entries in FatFolder.cpp.
#pragma once

#include "FatTable.h"

#include <cstdint>
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
    static constexpr std::uint8_t Hidden = 0x02;
    static constexpr std::uint8_t System = 0x04;
    static constexpr std::uint8_t Directory = 0x10;
    static constexpr std::uint8_t Archive = 0x20;
    // What a file's attributes say of it, as opposed to what its entry is.
    static constexpr std::uint8_t FileAttributes = ReadOnly | Hidden | System | Archive;
    bool isDirectory() const { return (attributes & Directory) != 0; }
};

class FatVolume {
public:
    explicit FatVolume(Volume& volume);

    const FatGeometry& geometry() const { return m_table.geometry(); }

    // The entry a Windows path names ("C:\WINDOWS\X", "\X"; CP932), matched without regard to
    // case against long and short names. nullopt when it is missing or leaves the root.
    std::optional<FatEntry> find(std::string_view windowsPath);

    // The file's bytes. Throws (Fault::damagedFileSystem) when it is larger than maxSize or its cluster chain
    // is broken (a loop, a free or bad cluster, a cluster past the end, shorter than the size).
    std::string read(const FatEntry& file, std::uint64_t maxSize);

    // Changes, kept in the block cache until writes() hands them out. Each refuses a volume
    // Windows left unclean (Fault::refused): ScanDisk has to see it first.
    void replace(const FatEntry& file, std::string_view bytes);
    void remove(const FatEntry& file);
    // Creates the file, and its missing folders, under any name Windows can hold: a long name
    // and a unique short one, as Windows 98 makes them, with the attributes given. An existing
    // file is replaced instead, keeping its own.
    void create(std::string_view windowsPath, std::string_view bytes,
                std::uint8_t attributes = FatEntry::Archive);

    // The bytes that differ from the volume as read, in runs, in offset order, each with the bytes
    // it was read with.
    std::vector<VolumeWrite> writes() const;

private:
    // A folder's slots: volume offsets of each 32-byte entry, in order.
    std::vector<std::uint64_t> folderSlots(const std::optional<FatEntry>& folder);
    std::vector<FatEntry> list(const std::optional<FatEntry>& folder);
    std::optional<FatEntry> findIn(const std::optional<FatEntry>& folder, std::string_view name);
    std::vector<std::uint64_t> freeSlots(const std::optional<FatEntry>& folder, std::size_t count);
    void growFolder(const std::optional<FatEntry>& folder, std::vector<std::uint64_t>& slots);
    std::string uniqueShortName(const std::optional<FatEntry>& folder, std::string_view name);
    void writeLongName(const std::vector<std::uint64_t>& slots, std::u16string name, std::uint8_t sum);
    FatEntry addEntry(const std::optional<FatEntry>& folder, std::string_view name, std::uint8_t attributes,
                      std::uint32_t firstCluster, std::uint32_t size);
    FatEntry makeFolder(const std::optional<FatEntry>& parent, std::string_view name);
    std::uint32_t writeChain(std::vector<std::uint32_t> clusters, std::string_view bytes);
    void setFirstClusterAndSize(std::string& entry, std::uint32_t firstCluster, std::uint32_t size) const;

    void requireClean();

    FatTable m_table;
    std::filesystem::path m_image;
};

} // namespace kv::image
