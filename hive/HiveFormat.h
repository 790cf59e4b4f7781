// The fixed parts of a Windows 95/98/Me registry file: where each field lies, read and written
// little-endian. The file is a 32-byte CREG header, the key area (RGKN: a 32-byte header and
// 28-byte key slots) and one or more data blocks (RGDB: a 32-byte header and variable records
// holding each key's name and values). Numbers are little-endian (LittleEndian.h).
#pragma once

#include "LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv::hive {

constexpr std::uint32_t None32 = 0xffffffff; // no slot, no record, end of a list
constexpr std::uint16_t None16 = 0xffff;
constexpr std::uint32_t FreeSlotMark = 0x80000000; // first field of a free key slot
constexpr std::uint16_t ChecksumValid = 0x4;       // in the flags of the header, key area and blocks
constexpr std::uint32_t HeaderSize = 32, SlotSize = 28, RecordHeaderSize = 20, ValueHeaderSize = 12;
constexpr std::uint32_t Page = 4096;           // areas grow by whole pages
constexpr std::uint32_t MaxIds = 255;          // ids 0..254 in a block; 255 means the block is full
constexpr std::uint32_t MaxBlockSize = 0xF000; // the largest block Windows itself was seen to make

// What Windows 95, 98 and Me let one key hold: names of 255 bytes, 16,300 bytes of data in one
// value, and the key's whole record (its header and name, and each value's header, name and
// data) within one data block of the largest size, which is the "about 60 KB per key, names, data
// and overhead counted" that Windows 95 enforces.
constexpr std::size_t MaxNameSize = 255, MaxDataSize = 16300, MaxRecordSize = MaxBlockSize - HeaderSize;

// Field offsets.
namespace creg {
constexpr std::size_t BlocksOffset = 8, Checksum = 12, BlockCount = 16, Flags = 18;
}
namespace rgkn {
constexpr std::size_t Size = 4, Root = 8, FirstFree = 12, Flags = 16, Checksum = 20;
}
namespace slot {
constexpr std::size_t Mark = 0, Hash = 4, NextFree = 8, Parent = 12, Child = 16, Next = 20, Id = 24,
                      Block = 26;
constexpr std::size_t FreeSize = Hash; // a free run keeps its length where a key keeps its hash
} // namespace slot
namespace rgdb {
constexpr std::size_t Size = 4, Unused = 8, Flags = 12, Number = 14, FirstFree = 16, MaxId = 20, FreeId = 22,
                      Checksum = 28;
}
namespace record {
// A free record keeps the offset of the next free record where a key keeps its used size.
constexpr std::size_t Size = 0, Id = 4, Block = 6, Used = 8, NameSize = 12, ValueCount = 14, NextFree = Used;
} // namespace record
namespace value {
constexpr std::size_t Type = 0, NameSize = 8, DataSize = 10;
}

// Key slots run on from the key area's header through its first 8 KB, then within each
// further page: a slot never crosses the end of the first 8 KB or of a later page.
inline bool slotCrossesPage(std::uint32_t at) {
    const std::uint32_t end = at < 2 * Page ? 2 * Page : (at / Page + 1) * Page;
    return at + SlotSize > end;
}

// The hash a key slot keeps of its key's name: the sum of its bytes below 0x80, ASCII letters
// taken as capitals. A double-byte character's lead byte adds nothing, and its trail byte, when
// below 0x80, adds itself unchanged: the registry compares names without folding trail bytes,
// and the hash is taken of the name as it is compared.
std::uint32_t nameHash(std::string_view name);

// Whether a key slot's stored hash fits its name. Besides nameHash, a name holding a trail byte
// below 0x80 may keep the sum that folds such trail bytes as letters, or the sum that leaves them
// out: no file that Windows wrote has shown which one Windows takes, and a file that used either
// must still be read, and its keys found by name.
bool hashFits(std::string_view name, std::uint32_t stored);

// The 32-bit sum of the little-endian words of an area, its checksum field counted as zero.
// A valid checksum field holds the negative of this, so that the whole area sums to zero.
inline std::uint32_t wordSum(std::string_view area, std::size_t checksumAt) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at + 4 <= area.size(); at += 4)
        if (at != checksumAt)
            sum += le::get32(area, at);
    return sum;
}

} // namespace kv::hive
