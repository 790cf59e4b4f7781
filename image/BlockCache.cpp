#include "BlockCache.h"

#include <algorithm>
#include <cstring>

namespace kv::image {

namespace {

// Few enough reads for a whole FAT, and a change of a few bytes reads little around it.
constexpr std::uint64_t BlockSize = 64 * 1024;
// Clean blocks beyond this many are dropped, so a scan of a large FAT stays small in memory.
constexpr std::size_t CachedBlocks = 256;
// Runs closer than this are joined, so a changed folder entry is one write, not several.
constexpr std::size_t JoinGap = 64;

// The first byte at or after from where now and before differ; their size when none does. Whole
// stretches are compared at once: a FAT block is mostly unchanged.
std::size_t firstDifference(const std::string& now, const std::string& before, std::size_t from) {
    constexpr std::size_t Stretch = 256;
    while (from + Stretch <= now.size() && std::memcmp(now.data() + from, before.data() + from, Stretch) == 0)
        from += Stretch;
    while (from < now.size() && now[from] == before[from])
        ++from;
    return from;
}

// The end of the run of changes that starts at from: it goes on until JoinGap bytes in a row are
// unchanged.
std::size_t runEnd(const std::string& now, const std::string& before, std::size_t from) {
    for (std::size_t end = from + 1;;) {
        const std::size_t next = firstDifference(now, before, end);
        if (next >= now.size() || next - end >= JoinGap)
            return end;
        end = next + 1;
    }
}

} // namespace

BlockCache::BlockCache(Volume& volume, std::uint64_t volumeSize)
    : m_volume(volume)
    , m_volumeSize(volumeSize) {}

void BlockCache::checkRange(std::uint64_t offset, std::size_t length) const {
    if (offset > m_volumeSize || length > m_volumeSize - offset)
        failDamagedVolume(
            QT_TRANSLATE_NOOP("DiskImage", "ファイルシステムがボリュームの終わりより先を指しています"));
}

BlockCache::Block& BlockCache::block(std::uint64_t index) {
    auto found = m_blocks.find(index);
    if (found != m_blocks.end())
        return found->second;
    evictClean();
    const std::uint64_t start = index * BlockSize;
    Block fresh;
    fresh.bytes = m_volume.read(start, static_cast<std::size_t>(std::min(BlockSize, m_volumeSize - start)));
    return m_blocks.emplace(index, std::move(fresh)).first->second;
}

void BlockCache::evictClean() {
    if (m_blocks.size() < CachedBlocks)
        return;
    for (auto it = m_blocks.begin(); it != m_blocks.end();)
        it = it->second.dirty ? std::next(it) : m_blocks.erase(it);
}

std::string BlockCache::read(std::uint64_t offset, std::size_t length) {
    checkRange(offset, length);
    std::string out;
    out.reserve(length);
    while (out.size() < length) {
        const std::uint64_t at = offset + out.size();
        const Block& b = block(at / BlockSize);
        const std::size_t from = static_cast<std::size_t>(at % BlockSize);
        out.append(b.bytes, from, std::min(length - out.size(), b.bytes.size() - from));
    }
    return out;
}

void BlockCache::write(std::uint64_t offset, std::string_view bytes) {
    checkRange(offset, bytes.size());
    for (std::size_t done = 0; done < bytes.size();) {
        const std::uint64_t at = offset + done;
        Block& b = block(at / BlockSize);
        if (!b.dirty) {
            b.original = b.bytes;
            b.dirty = true;
        }
        const std::size_t from = static_cast<std::size_t>(at % BlockSize);
        const std::size_t n = std::min(bytes.size() - done, b.bytes.size() - from);
        b.bytes.replace(from, n, bytes.substr(done, n));
        done += n;
    }
}

std::vector<VolumeWrite> BlockCache::changes() const {
    std::vector<VolumeWrite> out;
    for (const auto& [index, b] : m_blocks) {
        if (!b.dirty)
            continue;
        for (std::size_t i = firstDifference(b.bytes, b.original, 0); i < b.bytes.size();
             i = firstDifference(b.bytes, b.original, i)) {
            const std::size_t end = runEnd(b.bytes, b.original, i);
            const std::uint64_t offset = index * BlockSize + i;
            if (!out.empty() && out.back().offset + out.back().bytes.size() == offset) {
                out.back().bytes += b.bytes.substr(i, end - i);
                out.back().before += b.original.substr(i, end - i);
            } else {
                out.push_back({offset, b.bytes.substr(i, end - i), b.original.substr(i, end - i)});
            }
            i = end;
        }
    }
    return out;
}

} // namespace kv::image
