// The bytes of a volume as a cache of blocks that can be changed in memory: a change touches
// only the cache, and changes() hands out exactly the bytes that differ from the volume as read,
// so nothing reaches the image until the caller puts them there in one step.
#pragma once

#include "DiskImage.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kv::image {

class BlockCache {
public:
    BlockCache(Volume& volume, std::uint64_t volumeSize);

    // Both throw (Fault::damagedFileSystem) for a range past the volume's end.
    std::string read(std::uint64_t offset, std::size_t length);
    void write(std::uint64_t offset, std::string_view bytes);

    // The bytes that differ from the volume as read, in runs, in offset order, each with the bytes
    // it was read with.
    std::vector<VolumeWrite> changes() const;

private:
    struct Block {
        std::string bytes;
        std::string original; // kept from the first change on
        bool dirty = false;
    };
    Block& block(std::uint64_t index);
    void evictClean();
    void checkRange(std::uint64_t offset, std::size_t length) const;

    Volume& m_volume;
    std::uint64_t m_volumeSize;
    std::map<std::uint64_t, Block> m_blocks;
};

} // namespace kv::image
