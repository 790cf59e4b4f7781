// A FAT volume's clusters: the block cache its changes live in, the FAT itself (its entries,
// cluster chains, allocation and freeing) and FAT32's FSInfo, which follows every change.
#pragma once

#include "BlockCache.h"
#include "FatBootSector.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::image {

class FatTable {
public:
    FatTable(Volume& volume, const FatGeometry& geometry);

    const FatGeometry& geometry() const { return m_geometry; }

    std::string read(std::uint64_t offset, std::size_t length) { return m_cache.read(offset, length); }
    void write(std::uint64_t offset, std::string_view bytes) { m_cache.write(offset, bytes); }
    std::vector<VolumeWrite> changes() const { return m_cache.changes(); }

    std::uint32_t entry(std::uint32_t cluster);
    void setEntry(std::uint32_t cluster, std::uint32_t value);
    bool isEnd(std::uint32_t value) const;
    std::uint32_t endMark() const;
    std::uint64_t clusterOffset(std::uint32_t cluster) const;

    // The chain from first: at most limit clusters, or, with wholeChain, up to its end mark. A
    // loop, a free, bad or out-of-range cluster, or a chain that ends before limit is damage.
    std::vector<std::uint32_t> chain(std::uint32_t first, std::uint64_t limit, bool wholeChain);
    // A free cluster, now marked as a chain's end; throws when the volume is full.
    std::uint32_t allocate();
    void freeCluster(std::uint32_t cluster);
    void freeChain(std::uint32_t first);
    // FAT32 keeps a count of free clusters and where to look for the next; Windows and fsck.fat
    // both trust it, so it follows every change.
    void updateFsInfo();
    // Whether Windows left the volume without a clean shutdown, or with a hard error.
    bool leftUnclean();

private:
    std::uint64_t entryOffset(int copy, std::uint32_t cluster) const;

    FatGeometry m_geometry;
    BlockCache m_cache;
    std::uint32_t m_nextFree = 2;
    bool m_allocated = false;
    std::int64_t m_freeDelta = 0; // clusters freed minus clusters taken
};

} // namespace kv::image
