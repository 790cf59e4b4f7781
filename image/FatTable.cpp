#include "FatTable.h"

#include "LittleEndian.h"

#include <algorithm>

namespace kv::image {

namespace {

constexpr std::uint32_t FsInfoLeadSignature = 0x41615252;
constexpr std::uint32_t FsInfoStructSignature = 0x61417272;
constexpr std::uint32_t FsInfoTrailSignature = 0xAA550000;
constexpr std::size_t FsInfoFreeCount = 488;
constexpr std::size_t FsInfoNextFree = 492;

bool hasFsInfoSignatures(std::string_view info) {
    return le::get32(info, 0) == FsInfoLeadSignature && le::get32(info, 484) == FsInfoStructSignature &&
           le::get32(info, 508) == FsInfoTrailSignature;
}

} // namespace

FatTable::FatTable(Volume& volume, const FatGeometry& geometry)
    : m_geometry(geometry)
    , m_cache(volume, geometry.volumeSize) {
    if (!m_geometry.fsInfoOffset)
        return;
    const std::string info = read(m_geometry.fsInfoOffset, 512);
    const std::uint32_t hint = le::get32(info, FsInfoNextFree);
    if (hasFsInfoSignatures(info) && hint >= 2 && hint < m_geometry.clusterCount + 2)
        m_nextFree = hint;
}

std::uint64_t FatTable::entryOffset(int copy, std::uint32_t cluster) const {
    const std::uint64_t fat = m_geometry.fatOffset + m_geometry.fatSize * static_cast<std::uint64_t>(copy);
    return fat + std::uint64_t{cluster} * static_cast<std::uint64_t>(m_geometry.fatBits) / 8;
}

// With mirroring off only the active FAT counts; otherwise the first copy is the FAT.
std::uint32_t FatTable::entry(std::uint32_t cluster) {
    const std::uint64_t at = entryOffset(std::max(m_geometry.activeFat, 0), cluster);
    if (m_geometry.fatBits == 32)
        return le::get32(read(at, 4), 0) & 0x0FFFFFFF;
    if (m_geometry.fatBits == 16)
        return le::get16(read(at, 2), 0);
    const std::uint32_t pair = le::get16(read(at, 2), 0);
    return cluster % 2 ? pair >> 4 : pair & 0xFFF;
}

// Every copy of the FAT gets the same entry, as Windows keeps them, unless mirroring is off:
// then only the active FAT changes, and the others stay as Windows left them.
void FatTable::setEntry(std::uint32_t cluster, std::uint32_t value) {
    const int width = m_geometry.fatBits == 12 ? 2 : m_geometry.fatBits / 8;
    const bool mirrored = m_geometry.activeFat < 0;
    for (int copy = mirrored ? 0 : m_geometry.activeFat;
         copy < (mirrored ? m_geometry.fatCount : m_geometry.activeFat + 1); ++copy) {
        const std::uint64_t at = entryOffset(copy, cluster);
        std::string bytes = read(at, static_cast<std::size_t>(width));
        const std::uint32_t old =
            static_cast<std::uint32_t>(le::read(bytes, 0, static_cast<std::size_t>(width)));
        std::uint32_t now = value;
        if (m_geometry.fatBits == 32)
            now = (old & 0xF0000000) | (value & 0x0FFFFFFF);
        else if (m_geometry.fatBits == 12)
            now = cluster % 2 ? (old & 0x000F) | ((value & 0xFFF) << 4) : (old & 0xF000) | (value & 0xFFF);
        le::write(bytes, 0, now, static_cast<std::size_t>(width));
        write(at, bytes);
    }
}

bool FatTable::isEnd(std::uint32_t value) const {
    return value >= (m_geometry.fatBits == 32 ? 0x0FFFFFF8u : m_geometry.fatBits == 16 ? 0xFFF8u : 0xFF8u);
}

std::uint32_t FatTable::endMark() const {
    return m_geometry.fatBits == 32 ? 0x0FFFFFFF : m_geometry.fatBits == 16 ? 0xFFFF : 0xFFF;
}

std::uint64_t FatTable::clusterOffset(std::uint32_t cluster) const {
    return m_geometry.dataOffset + std::uint64_t{cluster - 2} * m_geometry.clusterSize;
}

std::vector<std::uint32_t> FatTable::chain(std::uint32_t first, std::uint64_t limit, bool wholeChain) {
    const std::uint32_t last = m_geometry.clusterCount + 1;
    std::vector<bool> seen(std::size_t{last} + 1, false);
    std::vector<std::uint32_t> out;
    for (std::uint32_t cluster = first; wholeChain || out.size() < limit;) {
        if (cluster < 2 || cluster > last)
            failDamagedVolume(
                QT_TRANSLATE_NOOP("DiskImage", "FAT のクラスタチェーンがボリュームの外を指しています"));
        if (seen[cluster])
            failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "FAT のクラスタチェーンが循環しています"));
        seen[cluster] = true;
        out.push_back(cluster);
        const std::uint32_t next = entry(cluster);
        if (isEnd(next)) {
            if (!wholeChain && out.size() < limit)
                failDamagedVolume(QT_TRANSLATE_NOOP(
                    "DiskImage", "FAT のクラスタチェーンがファイルの長さより短くなっています"));
            break;
        }
        if (out.size() >= limit && wholeChain && limit != 0)
            failDamagedVolume(
                QT_TRANSLATE_NOOP("DiskImage", "FAT のクラスタチェーンがファイルの長さより長くなっています"));
        cluster = next;
    }
    return out;
}

// The search starts at FSInfo's hint and wraps at the FAT's end, as Windows searches.
std::uint32_t FatTable::allocate() {
    const std::uint32_t count = m_geometry.clusterCount;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t cluster = 2 + (m_nextFree - 2 + i) % count;
        if (entry(cluster) == 0) {
            setEntry(cluster, endMark());
            m_nextFree = cluster;
            m_allocated = true;
            --m_freeDelta;
            return cluster;
        }
    }
    failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "イメージの FAT ボリュームに空きがありません"));
}

void FatTable::freeCluster(std::uint32_t cluster) {
    setEntry(cluster, 0);
    ++m_freeDelta;
}

void FatTable::freeChain(std::uint32_t first) {
    if (first == 0)
        return;
    for (std::uint32_t cluster : chain(first, m_geometry.clusterCount, true))
        freeCluster(cluster);
}

// A free count past the cluster count (0xFFFFFFFF: not known) stays as it is, for Windows to
// count again; the hint changes only when a cluster was taken, to the last one taken, as
// Windows keeps it. Without its three signatures the sector is not FSInfo and stays untouched.
void FatTable::updateFsInfo() {
    if (!m_geometry.fsInfoOffset)
        return;
    std::string info = read(m_geometry.fsInfoOffset, 512);
    if (!hasFsInfoSignatures(info))
        return;
    const std::uint32_t free = le::get32(info, FsInfoFreeCount);
    if (free <= m_geometry.clusterCount) {
        const std::int64_t now =
            std::clamp<std::int64_t>(std::int64_t{free} + m_freeDelta, 0, m_geometry.clusterCount);
        le::put32(info, FsInfoFreeCount, static_cast<std::uint32_t>(now));
    }
    if (m_allocated)
        le::put32(info, FsInfoNextFree, m_nextFree);
    m_freeDelta = 0;
    write(m_geometry.fsInfoOffset, info);
}

// FAT16 keeps Windows' clean-shutdown bit and its no-hard-error bit in bits 15 and 14 of FAT[1],
// FAT32 in bits 27 and 26; a cleared bit means Windows did not finish what it was writing, or
// met a bad sector. FAT12 keeps neither.
bool FatTable::leftUnclean() {
    if (m_geometry.fatBits == 12)
        return false;
    const std::uint32_t bits = m_geometry.fatBits == 16 ? 0xC000 : 0x0C000000;
    return (entry(1) & bits) != bits;
}

} // namespace kv::image
