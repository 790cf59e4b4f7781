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
        return QT_TRANSLATE_NOOP("DiskImage", "最初のセクタが FAT のブートセクタではありません");
    if (!isPowerOfTwo(perCluster) || perCluster * bytesPerSector > 65536 || le::get16(boot, 14) == 0 ||
        byte(16) < 1 || byte(16) > 2 || fatSectors(boot) == 0 || totalSectors(boot) == 0)
        return QT_TRANSLATE_NOOP("DiskImage", "ブートセクタが示す配置はありえないものです");
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
        return QT_TRANSLATE_NOOP("DiskImage", "ブートセクタに FAT16 と FAT32 の項目が混在しています");
    g.rootCluster = le::get32(boot, 44);
    const std::uint32_t infoSector = le::get16(boot, 48);
    if (infoSector != 0 && infoSector != 0xFFFF && infoSector < le::get16(boot, 14))
        g.fsInfoOffset = std::uint64_t{infoSector} * g.bytesPerSector;
    const std::uint16_t extFlags = le::get16(boot, 40);
    if (extFlags & 0x80) {
        g.activeFat = extFlags & 0x0F;
        if (g.activeFat >= g.fatCount)
            return QT_TRANSLATE_NOOP("DiskImage", "ブートセクタが、存在しない FAT を使用中としています");
    }
    return nullptr;
}

// The cluster count decides the FAT's width, as every FAT driver decides it.
const char* completeLayout(std::string_view boot, FatGeometry& g) {
    if (g.dataOffset >= g.volumeSize)
        return QT_TRANSLATE_NOOP("DiskImage", "ブートセクタの配置ではデータ領域が残りません");
    const std::uint64_t clusters = (g.volumeSize - g.dataOffset) / g.clusterSize;
    g.fatBits = clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32;
    if (g.fatBits == 32)
        if (const char* fault = readFat32Fields(boot, g))
            return fault;
    g.clusterCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, 0x0FFFFFF5));
    if ((std::uint64_t{g.clusterCount} + 2) * static_cast<std::uint64_t>(g.fatBits) > g.fatSize * 8)
        return QT_TRANSLATE_NOOP("DiskImage", "FAT がクラスタの数に対して小さすぎます");
    if (g.fatBits == 32 && (g.rootCluster < 2 || g.rootCluster >= g.clusterCount + 2))
        return QT_TRANSLATE_NOOP("DiskImage", "ルートフォルダがボリュームの外にあります");
    return nullptr;
}

const char* const SmallerThanASector = QT_TRANSLATE_NOOP("DiskImage", "大きさが 1 セクタに足りません");

} // namespace

std::optional<FatGeometry> parseBootSector(std::string_view sector, const char** why) {
    const char* fault = sector.size() < BootSectorSize ? SmallerThanASector : nullptr;
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
    const char* why = SmallerThanASector;
    const auto geometry =
        available < BootSectorSize ? std::nullopt : parseBootSector(volume.read(0, BootSectorSize), &why);
    if (!geometry)
        throw Failure(imageText(why), {}, Fault::damagedFileSystem)
            .within(imageText(QT_TRANSLATE_NOOP(
                "DiskImage", "パーティションに Kavendel が使える FAT ファイルシステムがありません")));
    if (geometry->volumeSize > available)
        failDamagedVolume(QT_TRANSLATE_NOOP(
            "DiskImage", "FAT ボリュームがパーティションまたはイメージの終わりを越えています。"
                         "イメージが途中で切れているか、パーティションテーブルが誤っています"));
    return *geometry;
}

} // namespace kv::image
