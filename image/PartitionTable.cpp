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
    const std::string which = name + ": partition " + std::to_string(e.number);
    if (std::find(ExtendedTypes.begin(), ExtendedTypes.end(), e.type) != ExtendedTypes.end())
        throw Failure(Message::verbatim(
            which + " is an extended partition; Kavendel reaches Windows only on a primary FAT partition."));
    if (!isFat(e))
        throw Failure(
            Message::verbatim(which + " is not a FAT partition (its type is " + typeName(e.type) + ")."));
    const std::uint64_t offset = e.first * SectorSize, size = e.count * SectorSize;
    if (e.first == 0 || e.count == 0)
        throw Failure(
            Message::verbatim(which + " has no extent in the partition table: the table is damaged."));
    if (offset + size > diskSize)
        throw Failure(Message::verbatim(which + " ends at byte " + std::to_string(offset + size) +
                                        ", past the end of the disk (" + std::to_string(diskSize) +
                                        " bytes): the image is truncated or its partition table is wrong."));
    return {e.number, offset, size};
}

VolumeExtent chooseFatPartition(const std::vector<Entry>& entries, std::uint64_t diskSize,
                                const std::string& name) {
    std::vector<Entry> fat, active;
    std::string others;
    for (const Entry& e : entries) {
        if (e.type == GptProtective)
            throw Failure(
                Message::verbatim(name + " has a GPT partition table, which Windows 98 cannot boot from."));
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
        return checkedExtent(active.front(), diskSize, name);
    if (fat.empty())
        throw Failure(Message::verbatim(
            name + (others.empty() ? " has an empty partition table and no FAT volume."
                                   : " has no FAT partition (its partitions are of types " + others + ").")));
    std::string numbers;
    for (const Entry& e : fat)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(e.number);
    throw Failure(Message::verbatim(name + " has several FAT partitions (" + numbers +
                                    "): choose one with --partition."));
}

} // namespace

VolumeExtent findVolume(std::string_view firstSector, std::uint64_t diskSize, std::optional<int> partition,
                        const std::string& name) {
    if (firstSector.size() < SectorSize || diskSize < SectorSize)
        throw Failure(Message::verbatim(name + " is too small to hold a disk."));
    if (isFatBootSector(firstSector)) {
        if (partition.value_or(0) != 0)
            throw Failure(Message::verbatim(
                name + " holds one FAT volume and no partition table, so it has no partition " +
                std::to_string(*partition) + "."));
        const std::uint64_t size = fatVolumeBytes(firstSector);
        if (size > diskSize)
            throw Failure(Message::verbatim(name + ": its FAT volume needs " + std::to_string(size) +
                                            " bytes, but the disk holds " + std::to_string(diskSize) +
                                            ": the image is truncated."));
        return {0, 0, size};
    }
    if (!isValidTable(firstSector))
        throw Failure(Message::verbatim(name + " holds neither a partition table nor a FAT volume."));
    const auto entries = tableEntries(firstSector);
    if (!partition)
        return chooseFatPartition(entries, diskSize, name);
    if (*partition < 1 || *partition > 4)
        throw Failure(Message::verbatim(name + ": there is no partition " + std::to_string(*partition) +
                                        "; Kavendel reaches the primary partitions 1 to 4."));
    const Entry& chosen = entries[static_cast<std::size_t>(*partition - 1)];
    if (chosen.type == 0)
        throw Failure(Message::verbatim(name + " has no partition " + std::to_string(*partition) + "."));
    return checkedExtent(chosen, diskSize, name);
}

} // namespace kv::image
