// Hostile disk images: the partition probe and the FAT volume must end in a Failure or an
// answer, never a crash, and a change to a volume that opened must be made or refused cleanly.
#include "FatBootSector.h"
#include "FatVolume.h"
#include "LittleEndian.h"
#include "MemoryVolume.h"
#include "PartitionTable.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using namespace kv;

// An input is a disk in pieces: each piece a little-endian 32-bit offset, a 16-bit length and
// that many bytes, the rest of the disk zeros. So a seed of a few kilobytes holds a FAT32 volume
// whose FATs alone take hundreds, and mutations reach every field of every sector.
constexpr std::uint64_t MaxDisk = 2u << 20;
// The volume reaches past what the pieces hold as zeros, up to this size.
constexpr std::uint64_t MaxVolume = 64u << 20;

std::string assemble(const std::uint8_t* data, std::size_t size) {
    std::string disk;
    for (std::size_t at = 0; at + 6 <= size;) {
        const std::string_view head(reinterpret_cast<const char*>(data + at), 6);
        const std::uint64_t offset = le::get32(head, 0) % MaxDisk;
        const std::size_t length = std::min<std::size_t>(le::get16(head, 4), size - at - 6);
        if (disk.size() < offset + length)
            disk.resize(offset + length, '\0');
        disk.replace(offset, length, reinterpret_cast<const char*>(data + at + 6), length);
        at += 6 + length;
    }
    return disk;
}

// Where the partition probe finds the volume; the disk's start when it finds none.
std::uint64_t probe(const std::string& disk) {
    std::string first = disk.substr(0, image::SectorSize);
    first.resize(image::SectorSize, '\0');
    try {
        return image::findVolume(first, MaxVolume, std::nullopt, "fuzz").offset;
    } catch (const Failure&) {
        return 0;
    }
}

void readSome(image::FatVolume& fat) {
    for (const char* path : {"C:\\WINDOWS\\SYSTEM.DAT", "\\MSDOS.SYS", "C:\\Program Files\\a\\b.txt"})
        if (const auto entry = fat.find(path); entry && !entry->isDirectory())
            fat.read(*entry, 1 << 20);
}

void changeSome(image::FatVolume& fat, const std::string& bytes) {
    fat.create("C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Kavendel.bat", bytes);
    fat.create("C:\\FOO.", "x");
    if (const auto entry = fat.find("C:\\WINDOWS\\SYSTEM.DAT"); entry && !entry->isDirectory())
        fat.replace(*entry, std::string(3000, 'h'));
    if (const auto entry = fat.find("C:\\FOO"); entry && !entry->isDirectory())
        fat.remove(*entry);
    fat.writes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string disk = assemble(data, size);
    std::string bytes = disk.substr(std::min<std::uint64_t>(probe(disk), disk.size()));
    const std::uint64_t volumeSize =
        std::min(std::max<std::uint64_t>(image::fatVolumeBytes(bytes), bytes.size()), MaxVolume);
    const std::string content = bytes.substr(0, 700);
    test::MemoryVolume volume(std::move(bytes), volumeSize);
    try {
        image::FatVolume fat(volume);
        readSome(fat);
        changeSome(fat, content);
    } catch (const Failure&) {
    }
    return 0;
}
