#include "FatBootSector.h"

#include "LittleEndian.h"

namespace kv::image {

namespace {

constexpr std::uint32_t EntrySize = 32;
constexpr std::size_t BootSectorSize = 512;

bool isPowerOfTwo(std::uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

std::uint64_t totalSectors(std::string_view boot) {
    return le::get16(boot, 19) ? le::get16(boot, 19) : le::get32(boot, 32);
}

std::uint64_t fatSectors(std::string_view boot) {
    return le::get16(boot, 22) ? le::get16(boot, 22) : le::get32(boot, 36);
}

// The fields every FAT driver checks before it trusts anything else: the jump, 55 AA, the sector
// and cluster sizes, the media byte. One or two FATs: Windows' own format and ScanDisk make no
// other count, and the FAT32 mirroring flags can name no more than the copies a volume has.
const char* parameterBlockFault(std::string_view boot) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(boot[at]); };
    const std::uint32_t bytesPerSector = le::get16(boot, 11), perCluster = byte(13);
    if (byte(510) != 0x55 || byte(511) != 0xAA || (byte(0) != 0xEB && byte(0) != 0xE9) ||
        (bytesPerSector != 512 && bytesPerSector != 1024 && bytesPerSector != 2048 &&
         bytesPerSector != 4096) ||
        (byte(21) != 0xF0 && byte(21) < 0xF8))
        return "its first sector is not a FAT boot sector";
    if (!isPowerOfTwo(perCluster) || perCluster * bytesPerSector > 65536 || le::get16(boot, 14) == 0 ||
        byte(16) < 1 || byte(16) > 2 || fatSectors(boot) == 0 || totalSectors(boot) == 0)
        return "its boot sector describes an impossible layout";
    return nullptr;
}

FatGeometry layoutOf(std::string_view boot) {
    FatGeometry g;
    g.bytesPerSector = le::get16(boot, 11);
    g.clusterSize = static_cast<unsigned char>(boot[13]) * g.bytesPerSector;
    g.fatCount = static_cast<unsigned char>(boot[16]);
    g.volumeSize = totalSectors(boot) * g.bytesPerSector;
    g.fatOffset = std::uint64_t{le::get16(boot, 14)} * g.bytesPerSector;
    g.fatSize = fatSectors(boot) * g.bytesPerSector;
    g.rootOffset = g.fatOffset + g.fatSize * static_cast<std::uint64_t>(g.fatCount);
    g.rootSize = std::uint64_t{le::get16(boot, 17)} * EntrySize;
    g.dataOffset = g.rootOffset + (g.rootSize + g.bytesPerSector - 1) / g.bytesPerSector * g.bytesPerSector;
    return g;
}

// FAT32's own fields: the root folder's cluster, FSInfo, and whether the FATs are mirrored
// (ExtFlags bit 7 clear) or only the one in bits 0-3 is in use.
const char* readFat32Fields(std::string_view boot, FatGeometry& g) {
    if (g.rootSize != 0)
        return "its boot sector mixes FAT16 and FAT32";
    g.rootCluster = le::get32(boot, 44);
    const std::uint32_t infoSector = le::get16(boot, 48);
    if (infoSector != 0 && infoSector != 0xFFFF && infoSector < le::get16(boot, 14))
        g.fsInfoOffset = std::uint64_t{infoSector} * g.bytesPerSector;
    const std::uint16_t extFlags = le::get16(boot, 40);
    if (extFlags & 0x80) {
        g.activeFat = extFlags & 0x0F;
        if (g.activeFat >= g.fatCount)
            return "its boot sector names an active FAT it does not have";
    }
    return nullptr;
}

// The cluster count decides the FAT's width, as every FAT driver decides it.
const char* completeLayout(std::string_view boot, FatGeometry& g) {
    if (g.dataOffset >= g.volumeSize)
        return "its boot sector leaves no room for data";
    const std::uint64_t clusters = (g.volumeSize - g.dataOffset) / g.clusterSize;
    g.fatBits = clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32;
    if (g.fatBits == 32)
        if (const char* fault = readFat32Fields(boot, g))
            return fault;
    g.clusterCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, 0x0FFFFFF5));
    if ((std::uint64_t{g.clusterCount} + 2) * static_cast<std::uint64_t>(g.fatBits) > g.fatSize * 8)
        return "its FAT is too small for its clusters";
    if (g.fatBits == 32 && (g.rootCluster < 2 || g.rootCluster >= g.clusterCount + 2))
        return "its root folder lies outside the volume";
    return nullptr;
}

[[noreturn]] void damaged(const std::string& text) {
    throw Failure(Message::verbatim(text), {}, Fault::damagedFileSystem);
}

} // namespace

std::optional<FatGeometry> parseBootSector(std::string_view sector, std::string* why) {
    const char* fault = sector.size() < BootSectorSize ? "it is smaller than one sector" : nullptr;
    FatGeometry g;
    if (!fault)
        fault = parameterBlockFault(sector);
    if (!fault) {
        g = layoutOf(sector);
        fault = completeLayout(sector, g);
    }
    if (!fault)
        return g;
    if (why)
        *why = fault;
    return std::nullopt;
}

bool isFatBootSector(std::string_view sector) {
    return parseBootSector(sector).has_value();
}

std::uint64_t fatVolumeBytes(std::string_view bootSector) {
    return bootSector.size() < BootSectorSize ? 0 : totalSectors(bootSector) * le::get16(bootSector, 11);
}

FatGeometry readGeometry(Volume& volume) {
    const std::uint64_t available = volume.location().size;
    std::string why = "it is smaller than one sector";
    const auto geometry =
        available < BootSectorSize ? std::nullopt : parseBootSector(volume.read(0, BootSectorSize), &why);
    if (!geometry)
        damaged("the partition holds no FAT file system Kavendel can use: " + why);
    if (geometry->volumeSize > available)
        damaged("the FAT volume runs past the end of its partition or image: the image is truncated or "
                "its partition table is wrong");
    return *geometry;
}

} // namespace kv::image
