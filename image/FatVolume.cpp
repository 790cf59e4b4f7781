#include "FatVolume.h"

#include "Cp932.h"
#include "FatNames.h"
#include "LittleEndian.h"

namespace kv::image {

using namespace fatname;

namespace {

constexpr char Deleted = '\xE5';

void checkFileSize(std::string_view bytes) {
    if (bytes.size() > 0xFFFFFFFFu)
        failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "4 GB 以上のファイルは FAT ボリュームに入りません"));
}

} // namespace

FatVolume::FatVolume(Volume& volume)
    : m_table(volume, readGeometry(volume))
    , m_image(volume.location().image) {}

// A volume Windows left unclean may hold half-written folders and chains that only ScanDisk
// puts right; reading it is harmless, writing into it is not.
void FatVolume::requireClean() {
    if (m_table.leftUnclean())
        throw Failure(
            imageText(QT_TRANSLATE_NOOP(
                          "DiskImage", "%1 の FAT ボリュームは、Windows が正しく終了しなかったか、"
                                       "ディスクのエラーを記録したままです。Kavendel はそこへ書き込みません。"
                                       "Windows を一度起動して ScanDisk を最後まで実行させてから、"
                                       "もう一度お試しください。"),
                      {m_image.string()}),
            {}, Fault::refused);
}

void FatVolume::setFirstClusterAndSize(std::string& entry, std::uint32_t firstCluster,
                                       std::uint32_t size) const {
    le::put16(entry, 26, firstCluster & 0xFFFF);
    if (geometry().fatBits == 32)
        le::put16(entry, 20, firstCluster >> 16);
    le::put32(entry, 28, size);
}

std::optional<FatEntry> FatVolume::find(std::string_view windowsPath) {
    const auto parts = pathParts(windowsPath);
    if (!parts || parts->empty())
        return std::nullopt;
    std::optional<FatEntry> at;
    for (const std::string& part : *parts) {
        if (at && !at->isDirectory())
            return std::nullopt;
        at = findIn(at, part);
        if (!at)
            return std::nullopt;
    }
    return at;
}

std::string FatVolume::read(const FatEntry& file, std::uint64_t maxSize) {
    if (file.isDirectory())
        failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "ファイルではなくフォルダです"));
    if (file.size > maxSize)
        failDamagedVolume(
            QT_TRANSLATE_NOOP("DiskImage", "%1 バイトあり、Kavendel が読む大きさ (%2 バイト) を超えています"),
            {std::to_string(file.size), std::to_string(maxSize)});
    const std::uint32_t clusterSize = geometry().clusterSize;
    const auto list =
        m_table.chain(file.firstCluster, (std::uint64_t{file.size} + clusterSize - 1) / clusterSize, false);
    std::string out;
    out.reserve(file.size);
    for (std::size_t i = 0; i < list.size();) {
        std::size_t run = 1;
        while (i + run < list.size() && list[i + run] == list[i] + run)
            ++run;
        const std::uint64_t length =
            std::min<std::uint64_t>(run * std::uint64_t{clusterSize}, file.size - out.size());
        out += m_table.read(m_table.clusterOffset(list[i]), static_cast<std::size_t>(length));
        i += run;
    }
    return out;
}

// Fits bytes into the clusters given (the file's old chain, which is cut or lengthened) and
// returns the first cluster, 0 for no bytes.
std::uint32_t FatVolume::writeChain(std::vector<std::uint32_t> clusters, std::string_view bytes) {
    const std::uint32_t size = geometry().clusterSize;
    const std::size_t needed = (bytes.size() + size - 1) / size;
    for (; clusters.size() > needed; clusters.pop_back())
        m_table.freeCluster(clusters.back());
    while (clusters.size() < needed) {
        const std::uint32_t cluster = m_table.allocate();
        if (!clusters.empty())
            m_table.setEntry(clusters.back(), cluster);
        clusters.push_back(cluster);
    }
    if (clusters.empty())
        return 0;
    m_table.setEntry(clusters.back(), m_table.endMark());
    for (std::size_t i = 0; i < clusters.size(); ++i)
        m_table.write(m_table.clusterOffset(clusters[i]), bytes.substr(i * size, size));
    return clusters.front();
}

void FatVolume::replace(const FatEntry& file, std::string_view bytes) {
    if (file.isDirectory())
        failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "書き込むファイルの場所にフォルダがあります"));
    checkFileSize(bytes);
    requireClean();
    std::vector<std::uint32_t> old;
    if (file.firstCluster != 0)
        old = m_table.chain(file.firstCluster, geometry().clusterCount, true);
    const std::uint32_t first = writeChain(std::move(old), bytes);
    std::string e = m_table.read(file.slot, EntrySize);
    setFirstClusterAndSize(e, first, static_cast<std::uint32_t>(bytes.size()));
    e[11] = static_cast<char>(e[11] | FatEntry::Archive);
    stampNow(e);
    m_table.write(file.slot, e);
    m_table.updateFsInfo();
}

void FatVolume::remove(const FatEntry& file) {
    if (file.isDirectory())
        failDamagedVolume(QT_TRANSLATE_NOOP("DiskImage", "削除するファイルの場所にフォルダがあります"));
    requireClean();
    m_table.freeChain(file.firstCluster);
    for (std::uint64_t slot : file.longNameSlots)
        m_table.write(slot, std::string(1, Deleted));
    m_table.write(file.slot, std::string(1, Deleted));
    m_table.updateFsInfo();
}

void FatVolume::create(std::string_view windowsPath, std::string_view bytes, std::uint8_t attributes) {
    const auto parts = pathParts(windowsPath);
    if (!parts || parts->empty())
        failDamagedVolume(
            QT_TRANSLATE_NOOP("DiskImage", "%1 はドライブ C にないため、イメージの中に作成できません"),
            {cp932::toUtf8(windowsPath)});
    requireClean();
    std::optional<FatEntry> at;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
        auto next = findIn(at, (*parts)[i]);
        if (next && !next->isDirectory())
            failDamagedVolume(
                QT_TRANSLATE_NOOP("DiskImage",
                                  "イメージの中でフォルダ %1 があるべき場所にファイルがあります"),
                {cp932::toUtf8((*parts)[i])});
        at = next ? std::move(next) : makeFolder(at, (*parts)[i]);
    }
    if (auto existing = findIn(at, parts->back()))
        return replace(*existing, bytes);
    checkFileSize(bytes);
    const std::uint32_t first = writeChain({}, bytes);
    addEntry(at, parts->back(), attributes & FatEntry::FileAttributes, first,
             static_cast<std::uint32_t>(bytes.size()));
    m_table.updateFsInfo();
}

std::vector<VolumeWrite> FatVolume::writes() const {
    return m_table.changes();
}

} // namespace kv::image
