#include "PartitionTable.h"

#include "DiskImage.h"
#include "FatBootSector.h"
#include "LittleEndian.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace kv::image {

namespace {

constexpr std::array<unsigned, 6> FatTypes{0x01, 0x04, 0x06, 0x0B, 0x0C, 0x0E};
constexpr std::array<unsigned, 3> ExtendedTypes{0x05, 0x0F, 0x85};
constexpr unsigned GptProtective = 0xEE;
constexpr std::size_t TableOffset = 446;

unsigned byteAt(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

bool hasBootSignature(std::string_view sector) {
    return sector.size() >= SectorSize && byteAt(sector, 510) == 0x55 && byteAt(sector, 511) == 0xAA;
}

struct Entry {
    int number;
    unsigned status, type;
    std::uint64_t first, count; // in sectors
};

std::vector<Entry> tableEntries(std::string_view sector) {
    std::vector<Entry> entries;
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = TableOffset + 16 * static_cast<std::size_t>(i);
        entries.push_back({i + 1, byteAt(sector, at), byteAt(sector, at + 4), le::get32(sector, at + 8),
                           le::get32(sector, at + 12)});
    }
    return entries;
}

bool isValidTable(std::string_view sector) {
    if (!hasBootSignature(sector))
        return false;
    const auto entries = tableEntries(sector);
    return std::all_of(entries.begin(), entries.end(),
                       [](const Entry& e) { return e.status == 0 || e.status == 0x80; });
}

bool isFat(const Entry& e) {
    return std::find(FatTypes.begin(), FatTypes.end(), e.type) != FatTypes.end();
}

std::string typeName(unsigned type) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", type);
    return text;
}

VolumeExtent checkedExtent(const Entry& e, std::uint64_t diskSize, const std::string& name) {
    const std::string number = std::to_string(e.number);
    if (std::find(ExtendedTypes.begin(), ExtendedTypes.end(), e.type) != ExtendedTypes.end())
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 は拡張パーティションです。"
                                                     "Kavendel が Windows を扱えるのは基本 FAT "
                                                     "パーティションだけです"),
                      {name, number}));
    if (!isFat(e))
        throw Failure(
            imageText(QT_TRANSLATE_NOOP(
                          "DiskImage", "%1: パーティション %2 は FAT パーティションではありません (種類 %3)"),
                      {name, number, typeName(e.type)}));
    const std::uint64_t offset = e.first * SectorSize, size = e.count * SectorSize;
    if (e.first == 0 || e.count == 0)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 はパーティションテーブルに"
                                                     "範囲がありません。テーブルが壊れています"),
                      {name, number}));
    if (offset + size > diskSize)
        throw Failure(imageText(
            QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 は %3 バイト目で終わり、ディスクの終わり "
                                           "(%4 バイト) を越えています。イメージが途中で切れているか、"
                                           "パーティションテーブルが誤っています"),
            {name, number, std::to_string(offset + size), std::to_string(diskSize)}));
    return {e.number, offset, size};
}

// Windows boots the active partition, and its drive C is there: among several FAT partitions
// that one is taken, and the user is told so, since another may be meant.
VolumeExtent activeAmongSeveral(const Entry& active, const std::vector<Entry>& fat, std::uint64_t diskSize,
                                const std::string& name) {
    VolumeExtent extent = checkedExtent(active, diskSize, name);
    extent.choice =
        imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 には FAT パーティションが %2 個あります。"
                                                 "Windows が起動するアクティブなパーティション %3 "
                                                 "を使います。ほかを使うには --partition で"
                                                 "指定してください"),
                  {name, std::to_string(fat.size()), std::to_string(active.number)});
    return extent;
}

VolumeExtent chooseFatPartition(const std::vector<Entry>& entries, std::uint64_t diskSize,
                                const std::string& name) {
    std::vector<Entry> fat, active;
    std::string others;
    for (const Entry& e : entries) {
        if (e.type == GptProtective)
            throw Failure(
                imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 のパーティションテーブルは GPT です。"
                                                         "Windows 98 は GPT のディスクから起動できません"),
                          {name}));
        if (isFat(e)) {
            fat.push_back(e);
            if (e.status == 0x80)
                active.push_back(e);
        } else if (e.type != 0) {
            others += (others.empty() ? "" : ", ") + typeName(e.type);
        }
    }
    if (fat.size() == 1)
        return checkedExtent(fat.front(), diskSize, name);
    if (active.size() == 1)
        return activeAmongSeveral(active.front(), fat, diskSize, name);
    if (fat.empty() && others.empty())
        throw Failure(imageText(
            QT_TRANSLATE_NOOP("DiskImage", "%1 のパーティションテーブルは空で、FAT ボリュームもありません"),
            {name}));
    if (fat.empty())
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage",
                                        "%1 には FAT パーティションがありません (パーティションの種類: %2)"),
                      {name, others}));
    std::string numbers;
    for (const Entry& e : fat)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(e.number);
    throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 には FAT パーティションが複数 (%2) あり、"
                                                           "アクティブなものが一つに決まりません。"
                                                           "--partition で選んでください"),
                            {name, numbers}));
}

} // namespace

VolumeExtent findVolume(std::string_view firstSector, std::uint64_t diskSize, std::optional<int> partition,
                        const std::string& name) {
    if (firstSector.size() < SectorSize || diskSize < SectorSize)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はディスクを含むには小さすぎます"), {name}));
    if (isFatBootSector(firstSector)) {
        if (partition.value_or(0) != 0)
            throw Failure(
                imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はパーティションテーブルのない FAT "
                                                         "ボリュームなので、パーティション %2 はありません"),
                          {name, std::to_string(*partition)}));
        const std::uint64_t size = fatVolumeBytes(firstSector);
        if (size > diskSize)
            throw Failure(
                imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: FAT ボリュームには %2 バイトが必要ですが、"
                                                         "ディスクは %3 バイトです。イメージが途中で"
                                                         "切れています"),
                          {name, std::to_string(size), std::to_string(diskSize)}));
        return {0, 0, size};
    }
    if (!isValidTable(firstSector))
        throw Failure(imageText(
            QT_TRANSLATE_NOOP("DiskImage", "%1 にはパーティションテーブルも FAT ボリュームもありません"),
            {name}));
    const auto entries = tableEntries(firstSector);
    if (!partition)
        return chooseFatPartition(entries, diskSize, name);
    if (*partition < 1 || *partition > 4)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 はありません。Kavendel が"
                                                     "扱えるのは基本パーティション 1 から 4 です"),
                      {name, std::to_string(*partition)}));
    const Entry& chosen = entries[static_cast<std::size_t>(*partition - 1)];
    if (chosen.type == 0)
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 にパーティション %2 はありません"),
                                {name, std::to_string(*partition)}));
    return checkedExtent(chosen, diskSize, name);
}

} // namespace kv::image
