#include "HiveCheck.h"

#include "HiveFormat.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kv::hive {

namespace {

std::string hex(std::uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
    return text;
}

[[noreturn]] void fail(const char* which, const std::string& detail) {
    throw Failure(Message::verbatim(detail)).within(Message::verbatim(which));
}

void checkSum(std::string_view area, std::size_t checksumAt, bool marked, const std::string& what) {
    if (marked && static_cast<std::uint32_t>(wordSum(area, checksumAt) + le::get32(area, checksumAt)) != 0)
        fail(rule::Checksum, what + " is marked as checksummed but its checksum is wrong");
}

// A key slot lies inside the key area, on a 4-byte boundary, and crosses no page's end.
bool slotFits(std::uint32_t at, std::uint32_t areaSize) {
    return at >= HeaderSize && at % 4 == 0 && at <= areaSize - SlotSize && !slotCrossesPage(at);
}

// The record's name and values fill exactly its used size, which fits its size.
void checkRecordBody(std::string_view block, std::uint32_t at, std::uint32_t size, std::uint16_t id) {
    const std::uint32_t used = le::get32(block, at + record::Used);
    auto where = [&] { return "record " + std::to_string(id) + " at " + hex(at); };
    if (used < RecordHeaderSize || used > size)
        fail(rule::Record, where() + ": used size " + hex(used) + " outside its size " + hex(size));
    std::uint64_t pos = RecordHeaderSize + std::uint64_t{le::get16(block, at + record::NameSize)};
    const unsigned count = le::get16(block, at + record::ValueCount);
    for (unsigned i = 0; i < count && pos + ValueHeaderSize <= used; ++i)
        pos += ValueHeaderSize + le::get16(block, at + pos + value::NameSize) +
               le::get16(block, at + pos + value::DataSize);
    if (pos != used)
        fail(rule::Record,
             where() + ": its name and " + std::to_string(count) + " values do not fill its used size");
}

// The free records, linked from the block's header, are exactly the records marked free, and
// their sizes add up to the unused size the header gives.
void checkFreeList(std::string_view block, const std::vector<std::uint32_t>& free, std::uint64_t freeBytes,
                   const std::string& where) {
    std::uint32_t at = le::get32(block, rgdb::FirstFree);
    std::vector<bool> seen(free.size());
    std::size_t count = 0;
    for (; at != None32; at = le::get32(block, at + record::NextFree), ++count) {
        const auto it = std::lower_bound(free.begin(), free.end(), at);
        if (it == free.end() || *it != at)
            fail(rule::FreeRecords, where + ": the free list leads to " + hex(at) + ", not a free record");
        if (seen[it - free.begin()])
            fail(rule::FreeRecords, where + ": the free list runs in a circle at " + hex(at));
        seen[it - free.begin()] = true;
    }
    if (count != free.size())
        fail(rule::FreeRecords,
             where + ": " + std::to_string(free.size() - count) + " free records are not in the free list");
    if (freeBytes != le::get32(block, rgdb::Unused))
        fail(rule::FreeRecords, where + ": the unused size " + hex(le::get32(block, rgdb::Unused)) +
                                    " is not the free records' " + hex(freeBytes));
}

// The first free id is the lowest id without a record, and no id lies above the highest id.
void checkIds(std::string_view block, const BlockIndex& index, const std::string& where) {
    unsigned firstFree = MaxIds, highest = 0;
    bool any = false;
    for (unsigned id = 0; id < MaxIds; ++id) {
        if (index.records[id] == 0 && firstFree == MaxIds)
            firstFree = id;
        if (index.records[id] != 0)
            highest = id, any = true;
    }
    if (le::get16(block, rgdb::FreeId) != firstFree)
        fail(rule::Ids, where + ": the first free id is " + std::to_string(firstFree) + ", the header says " +
                            std::to_string(le::get16(block, rgdb::FreeId)));
    const unsigned maxId = le::get16(block, rgdb::MaxId);
    if (any && (maxId < highest || maxId >= MaxIds))
        fail(rule::Ids,
             where + ": the highest id " + std::to_string(maxId) + " is below id " + std::to_string(highest));
}

BlockIndex scanBlock(std::string_view file, std::uint32_t offset, unsigned number) {
    const std::string where = "data block " + std::to_string(number) + " at " + hex(offset);
    if (file.size() - offset < HeaderSize || file.substr(offset, 4) != "RGDB")
        fail(rule::Block, where + ": no RGDB header");
    BlockIndex index{offset, le::get32(file, offset + rgdb::Size), {}};
    if (index.size < HeaderSize || index.size > file.size() - offset)
        fail(rule::Block, where + ": size " + hex(index.size) + " runs past the file's end");
    const std::string_view block = file.substr(offset, index.size);
    if (le::get16(block, rgdb::Number) != number)
        fail(rule::Block, where + ": numbered " + std::to_string(le::get16(block, rgdb::Number)));
    checkSum(block, rgdb::Checksum, le::get16(block, rgdb::Flags) & ChecksumValid, where);
    std::vector<std::uint32_t> free;
    std::uint64_t freeBytes = 0;
    for (std::uint32_t at = HeaderSize; at < index.size;) {
        const std::uint32_t size = index.size - at < RecordHeaderSize ? 0 : le::get32(block, at);
        if (size < RecordHeaderSize || size > index.size - at)
            fail(rule::Record, where + ": the record at " + hex(at) + " runs past the block's end");
        const std::uint16_t id = le::get16(block, at + record::Id),
                            owner = le::get16(block, at + record::Block);
        if (id == None16 && owner == None16) {
            free.push_back(at);
            freeBytes += size;
        } else if (id >= MaxIds || owner != number || index.records[id] != 0) {
            fail(rule::Ids, where + ": the record at " + hex(at) + " has id " + std::to_string(id) +
                                " of block " + std::to_string(owner) +
                                ", out of range, of another block or taken");
        } else {
            checkRecordBody(block, at, size, id);
            index.records[id] = at;
        }
        at += size;
    }
    checkFreeList(block, free, freeBytes, where);
    checkIds(block, index, where);
    return index;
}

struct Header {
    std::uint32_t keyAreaSize = 0;
    unsigned blocks = 0;
};

Header checkHeaders(std::string_view file) {
    if (file.size() < 2 * HeaderSize || file.substr(0, 4) != "CREG")
        fail(rule::Header, "no CREG header: not a Windows 95/98/Me registry file");
    checkSum(file.substr(0, HeaderSize), creg::Checksum, le::get16(file, creg::Flags) & ChecksumValid,
             "the file header");
    if (file.substr(HeaderSize, 4) != "RGKN")
        fail(rule::KeyArea, "no RGKN header after the file header");
    const std::uint32_t size = le::get32(file, HeaderSize + rgkn::Size);
    if (size < HeaderSize + SlotSize || size > file.size() - HeaderSize)
        fail(rule::KeyArea, "size " + hex(size) + " runs past the file's end");
    const std::string_view area = file.substr(HeaderSize, size);
    checkSum(area, rgkn::Checksum, le::get32(area, rgkn::Flags) & ChecksumValid, "the key area");
    if (le::get32(file, creg::BlocksOffset) != HeaderSize + size)
        fail(rule::Header, "the data blocks start at " + hex(le::get32(file, creg::BlocksOffset)) +
                               ", not right after the key area at " + hex(HeaderSize + size));
    const unsigned blocks = le::get16(file, creg::BlockCount);
    if (blocks == 0)
        fail(rule::Header, "no data block");
    return {size, blocks};
}

// Walks the tree from the root: each key names its parent, keeps its name's hash and owns one
// record that no other key owns. Returns the key slots, the root's first.
std::vector<std::uint32_t> walkTree(std::string_view area, const Layout& layout, std::string_view file) {
    const std::uint32_t root = le::get32(area, rgkn::Root);
    if (!slotFits(root, layout.keyAreaSize))
        fail(rule::Slot, "the root key's slot " + hex(root) + " lies outside the key area");
    if (le::get16(area, root + slot::Id) != None16 || le::get32(area, root + slot::Parent) != None32 ||
        le::get32(area, root + slot::Next) != None32)
        fail(rule::TreeLinks, "the root key has a record, a parent or a sibling");
    std::vector<bool> seen(layout.keyAreaSize / 4);
    std::vector<std::vector<bool>> owned(layout.blocks.size(), std::vector<bool>(MaxIds));
    std::vector<std::uint32_t> keys{root};
    seen[root / 4] = true;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::uint32_t parent = keys[i];
        for (std::uint32_t at = le::get32(area, parent + slot::Child); at != None32;
             at = le::get32(area, at + slot::Next)) {
            if (!slotFits(at, layout.keyAreaSize) || seen[at / 4])
                fail(rule::TreeLinks,
                     "a link leads to " + hex(at) + ", outside the key area or to a key seen before");
            seen[at / 4] = true;
            if (le::get32(area, at + slot::Parent) != parent ||
                le::get32(area, at + slot::Mark) == FreeSlotMark)
                fail(rule::TreeLinks, "the key at " + hex(at) + " is free or names another parent");
            const unsigned block = le::get16(area, at + slot::Block), id = le::get16(area, at + slot::Id);
            if (block >= layout.blocks.size() || id >= MaxIds || layout.blocks[block].records[id] == 0 ||
                owned[block][id])
                fail(rule::Ids, "the key at " + hex(at) + " names record " + std::to_string(id) +
                                    " of block " + std::to_string(block) +
                                    ", which is missing or another key's");
            owned[block][id] = true;
            const std::size_t record = layout.blocks[block].offset + layout.blocks[block].records[id];
            const std::string_view name =
                file.substr(record + RecordHeaderSize, le::get16(file, record + record::NameSize));
            if (nameHash(name) != le::get32(area, at + slot::Hash))
                fail(rule::Hash, "the key at " + hex(at) + " keeps hash " +
                                     hex(le::get32(area, at + slot::Hash)) + " for a name whose hash is " +
                                     hex(nameHash(name)));
            keys.push_back(at);
        }
    }
    return keys;
}

// The free runs, linked from the key area's header, lie inside it and overlap no key or
// each other. The list is never empty: the run at the area's end is always in it.
void checkFreeSlots(std::string_view area, std::uint32_t areaSize, std::vector<std::uint32_t> keys) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    for (std::uint32_t at : keys)
        spans.emplace_back(at, at + SlotSize);
    std::uint32_t at = le::get32(area, rgkn::FirstFree);
    if (at == None32)
        fail(rule::FreeSlots, "the key area has no free slot");
    for (; at != None32; at = le::get32(area, at + slot::NextFree)) {
        if (!slotFits(at, areaSize) || le::get32(area, at + slot::Mark) != FreeSlotMark ||
            spans.size() > areaSize / SlotSize)
            fail(rule::FreeSlots, "the free list leads to " + hex(at) + ", not a free slot");
        const std::uint32_t size = le::get32(area, at + slot::FreeSize);
        if (size < SlotSize || size > areaSize - at)
            fail(rule::FreeSlots, "the free run at " + hex(at) + " has the length " + hex(size));
        spans.emplace_back(at, at + size);
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second)
            fail(rule::FreeSlots,
                 "the slots at " + hex(spans[i - 1].first) + " and " + hex(spans[i].first) + " overlap");
}

} // namespace

Layout checkHive(std::string_view file) {
    const Header header = checkHeaders(file);
    Layout layout{header.keyAreaSize, {}};
    std::uint32_t offset = HeaderSize + header.keyAreaSize;
    for (unsigned i = 0; i < header.blocks; ++i) {
        layout.blocks.push_back(scanBlock(file, offset, i));
        offset += layout.blocks.back().size;
    }
    if (offset != file.size())
        fail(rule::Header, std::to_string(file.size() - offset) + " bytes follow the last data block");
    const std::string_view area = file.substr(HeaderSize, header.keyAreaSize);
    const std::vector<std::uint32_t> keys = walkTree(area, layout, file);
    std::size_t records = 0;
    for (const BlockIndex& block : layout.blocks)
        records +=
            std::count_if(block.records.begin(), block.records.end(), [](std::uint32_t r) { return r != 0; });
    if (records != keys.size() - 1)
        fail(rule::Ids, std::to_string(records - (keys.size() - 1)) + " key records belong to no key");
    checkFreeSlots(area, header.keyAreaSize, keys);
    return layout;
}

} // namespace kv::hive
