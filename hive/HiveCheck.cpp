#include "HiveCheck.h"

#include "Cp932.h"
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

std::string number(std::uint64_t v) {
    return std::to_string(v);
}

[[noreturn]] void fail(const char* which, const char* detail, std::vector<std::string> args) {
    throw Failure(hiveText(detail, std::move(args))).within(hiveText(which));
}

// The area of the file from offset at.
void checkSum(std::string_view area, std::size_t checksumAt, bool marked, std::size_t at) {
    if (marked && static_cast<std::uint32_t>(wordSum(area, checksumAt) + le::get32(area, checksumAt)) != 0)
        fail(rule::Checksum,
             QT_TRANSLATE_NOOP("HiveFile",
                               "オフセット %1 からの %2 バイトはチェックサム付きの印がありますが、"
                               "チェックサムが合いません"),
             {hex(at), number(area.size())});
}

// A key slot lies inside the key area, on a 4-byte boundary, and crosses no page's end.
bool slotFits(std::uint32_t at, std::uint32_t areaSize) {
    return at >= HeaderSize && at % 4 == 0 && at <= areaSize - SlotSize && !slotCrossesPage(at);
}

// The record's name and values fill exactly its used size, which fits its size. at is the
// record's offset in the file.
void checkRecordBody(std::string_view record, std::uint32_t size, std::uint16_t id, std::size_t at) {
    const std::uint32_t used = le::get32(record, record::Used);
    if (used < RecordHeaderSize || used > size)
        fail(rule::Record,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のレコード (番号 %2) の使用サイズ %3 が、"
                                           "レコードのサイズ %4 に収まりません"),
             {hex(at), number(id), hex(used), hex(size)});
    std::uint64_t pos = RecordHeaderSize + std::uint64_t{le::get16(record, record::NameSize)};
    const unsigned count = le::get16(record, record::ValueCount);
    unsigned whole = 0; // values whose header lies inside the used size
    for (; whole < count && pos + ValueHeaderSize <= used; ++whole)
        pos += ValueHeaderSize + le::get16(record, pos + value::NameSize) +
               le::get16(record, pos + value::DataSize);
    if (pos > used || (whole == count && pos != used))
        fail(rule::Record,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のレコード (番号 %2) の名前と %3 個の値が、"
                                           "使用サイズ %4 とぴったり合いません"),
             {hex(at), number(id), number(count), hex(used)});
    if (whole < count)
        fail(rule::Record,
             QT_TRANSLATE_NOOP("HiveFile",
                               "オフセット %1 のレコード (番号 %2) は値が %3 個あるとしていますが、"
                               "使用サイズ %4 には %5 個しか入りません"),
             {hex(at), number(id), number(count), hex(used), number(whole)});
}

// Where a block lies, for its messages: its number and its offset in the file.
struct BlockPlace {
    unsigned number;
    std::uint32_t offset;
    std::vector<std::string> args(std::vector<std::string> more = {}) const {
        more.insert(more.begin(), {std::to_string(number), hex(offset)});
        return more;
    }
};

// The free records, linked from the block's header, are exactly the records marked free, and
// their sizes add up to the unused size the header gives.
void checkFreeList(std::string_view block, const std::vector<std::uint32_t>& free, std::uint64_t freeBytes,
                   const BlockPlace& place) {
    std::uint32_t at = le::get32(block, rgdb::FirstFree);
    std::vector<bool> seen(free.size());
    std::size_t count = 0;
    for (; at != None32; at = le::get32(block, at + record::NextFree), ++count) {
        const auto it = std::lower_bound(free.begin(), free.end(), at);
        if (it == free.end() || *it != at)
            fail(rule::FreeRecords,
                 QT_TRANSLATE_NOOP("HiveFile", "データブロック %1 (オフセット %2) の空きレコードのリストが、"
                                               "空きレコードではないオフセット %3 を指しています"),
                 place.args({hex(place.offset + std::uint64_t{at})}));
        if (seen[it - free.begin()])
            fail(rule::FreeRecords,
                 QT_TRANSLATE_NOOP("HiveFile", "データブロック %1 (オフセット %2) の空きレコードのリストが、"
                                               "オフセット %3 で輪になっています"),
                 place.args({hex(place.offset + std::uint64_t{at})}));
        seen[it - free.begin()] = true;
    }
    if (count != free.size())
        fail(rule::FreeRecords,
             QT_TRANSLATE_NOOP("HiveFile", "データブロック %1 (オフセット %2) の空きレコードのうち %3 個が"
                                           "空きレコードのリストにありません"),
             place.args({number(free.size() - count)}));
    if (freeBytes != le::get32(block, rgdb::Unused))
        fail(rule::FreeRecords,
             QT_TRANSLATE_NOOP("HiveFile",
                               "データブロック %1 (オフセット %2) の未使用サイズは %3 とありますが、"
                               "空きレコードの合計は %4 です"),
             place.args({hex(le::get32(block, rgdb::Unused)), hex(freeBytes)}));
}

// The first free id is the lowest id without a record, and no id lies above the highest id.
void checkIds(std::string_view block, const BlockIndex& index, const BlockPlace& place) {
    unsigned firstFree = MaxIds, highest = 0;
    bool any = false;
    for (unsigned id = 0; id < MaxIds; ++id) {
        if (index.records[id] == 0 && firstFree == MaxIds)
            firstFree = id;
        if (index.records[id] != 0)
            highest = id, any = true;
    }
    if (le::get16(block, rgdb::FreeId) != firstFree)
        fail(rule::Ids,
             QT_TRANSLATE_NOOP("HiveFile", "データブロック %1 (オフセット %2) の最初の空き番号は %3 ですが、"
                                           "ヘッダーには %4 とあります"),
             place.args({number(firstFree), number(le::get16(block, rgdb::FreeId))}));
    const unsigned maxId = le::get16(block, rgdb::MaxId);
    if (any && (maxId < highest || maxId >= MaxIds))
        fail(rule::Ids,
             QT_TRANSLATE_NOOP("HiveFile",
                               "データブロック %1 (オフセット %2) の最大の番号は %3 とありますが、"
                               "番号 %4 が使われています"),
             place.args({number(maxId), number(highest)}));
}

// A key's name for messages, from its CP932 bytes.
std::string shownName(std::string_view record) {
    return cp932::toUtf8(record.substr(RecordHeaderSize, le::get16(record, record::NameSize)));
}

// Checks the record at of the block, a key's; records it in the index.
void checkKeyRecord(std::string_view block, std::uint32_t at, std::uint32_t size, const BlockPlace& place,
                    BlockIndex& index) {
    const std::uint16_t id = le::get16(block, at + record::Id), owner = le::get16(block, at + record::Block);
    const std::size_t inFile = place.offset + std::size_t{at};
    if (id >= MaxIds || owner != place.number || index.records[id] != 0)
        fail(rule::Ids,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のレコードはブロック %3 の番号 %2 としていますが、"
                                           "範囲外か、ほかのブロックの番号か、すでに使われています"),
             {hex(inFile), number(id), number(owner)});
    const std::string_view body = block.substr(at, size);
    checkRecordBody(body, size, id, inFile);
    try {
        checkKeyLimits(body.substr(0, le::get32(body, record::Used)), [&] { return shownName(body); });
    } catch (const Failure& e) {
        throw e.within(hiveText(QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のレコード"), {hex(inFile)}))
            .within(hiveText(rule::Limits));
    }
    index.records[id] = at;
}

BlockIndex scanBlock(std::string_view file, std::uint32_t offset, unsigned number) {
    const BlockPlace place{number, offset};
    if (file.size() - offset < HeaderSize || file.substr(offset, 4) != "RGDB")
        fail(rule::Block,
             QT_TRANSLATE_NOOP("HiveFile",
                               "データブロック %1 があるはずのオフセット %2 に RGDB のヘッダーがありません"),
             place.args());
    BlockIndex index{offset, le::get32(file, offset + rgdb::Size), {}};
    if (index.size < HeaderSize || index.size > file.size() - offset)
        fail(rule::Block,
             QT_TRANSLATE_NOOP("HiveFile",
                               "データブロック %1 (オフセット %2) のサイズ %3 がファイルの終わりを越えます"),
             place.args({hex(index.size)}));
    const std::string_view block = file.substr(offset, index.size);
    if (le::get16(block, rgdb::Number) != number)
        fail(rule::Block,
             QT_TRANSLATE_NOOP("HiveFile", "データブロック %1 (オフセット %2) の番号が %3 になっています"),
             place.args({std::to_string(le::get16(block, rgdb::Number))}));
    checkSum(block, rgdb::Checksum, le::get16(block, rgdb::Flags) & ChecksumValid, offset);
    std::vector<std::uint32_t> free;
    std::uint64_t freeBytes = 0;
    for (std::uint32_t at = HeaderSize; at < index.size;) {
        const std::uint32_t size = index.size - at < RecordHeaderSize ? 0 : le::get32(block, at);
        if (size < RecordHeaderSize || size > index.size - at)
            fail(rule::Record,
                 QT_TRANSLATE_NOOP("HiveFile",
                                   "オフセット %3 のレコードがデータブロック %1 (オフセット %2) の"
                                   "終わりを越えます"),
                 place.args({hex(offset + std::uint64_t{at})}));
        if (le::get16(block, at + record::Id) == None16 && le::get16(block, at + record::Block) == None16) {
            free.push_back(at);
            freeBytes += size;
        } else {
            checkKeyRecord(block, at, size, place, index);
        }
        at += size;
    }
    checkFreeList(block, free, freeBytes, place);
    checkIds(block, index, place);
    return index;
}

struct Header {
    std::uint32_t keyAreaSize = 0;
    unsigned blocks = 0;
};

Header checkHeaders(std::string_view file) {
    if (file.size() < 2 * HeaderSize || file.substr(0, 4) != "CREG")
        fail(rule::Header,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 に CREG のヘッダーがありません。Windows 95/98/Me の"
                                           "レジストリファイルではありません"),
             {hex(0)});
    checkSum(file.substr(0, HeaderSize), creg::Checksum, le::get16(file, creg::Flags) & ChecksumValid, 0);
    if (file.substr(HeaderSize, 4) != "RGKN")
        fail(rule::KeyArea,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 にキー領域のヘッダー (RGKN) がありません"),
             {hex(HeaderSize)});
    const std::uint32_t size = le::get32(file, HeaderSize + rgkn::Size);
    if (size < HeaderSize + SlotSize || size > file.size() - HeaderSize)
        fail(rule::KeyArea,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 からのキー領域のサイズ %2 が小さすぎるか、"
                                           "ファイルの終わりを越えます"),
             {hex(HeaderSize), hex(size)});
    const std::string_view area = file.substr(HeaderSize, size);
    checkSum(area, rgkn::Checksum, le::get32(area, rgkn::Flags) & ChecksumValid, HeaderSize);
    if (le::get32(file, creg::BlocksOffset) != HeaderSize + size)
        fail(rule::Header,
             QT_TRANSLATE_NOOP("HiveFile", "データブロックはオフセット %1 から始まるとありますが、"
                                           "キー領域はオフセット %2 で終わります"),
             {hex(le::get32(file, creg::BlocksOffset)), hex(HeaderSize + size)});
    const unsigned blocks = le::get16(file, creg::BlockCount);
    if (blocks == 0)
        fail(rule::Header, QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のデータブロックの数が 0 です"),
             {hex(creg::BlockCount)});
    return {size, blocks};
}

// A key slot's offset in the file, for messages.
std::string slotOffset(std::uint32_t at) {
    return hex(HeaderSize + std::uint64_t{at});
}

// The keys met so far, and the records they own.
struct TreeWalk {
    const Layout& layout;
    std::string_view area, file;
    std::vector<bool> seen;
    std::vector<std::vector<bool>> owned;
};

// A key reached from parent's list of children: in the key area, met once, in use (its first
// field 0, as Windows keeps it), naming that parent, owning a record no other key owns, and
// keeping its name's hash.
void checkChild(TreeWalk& walk, std::uint32_t at, std::uint32_t parent) {
    const std::string_view area = walk.area;
    if (!slotFits(at, walk.layout.keyAreaSize) || walk.seen[at / 4])
        fail(rule::TreeLinks,
             QT_TRANSLATE_NOOP("HiveFile", "キーのつながりがオフセット %1 を指していますが、キー領域の外か、"
                                           "すでに出てきたキーです"),
             {slotOffset(at)});
    walk.seen[at / 4] = true;
    if (le::get32(area, at + slot::Parent) != parent || le::get32(area, at + slot::Mark) == FreeSlotMark)
        fail(rule::TreeLinks,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のキーは空きスロットか、別の親を指しています"),
             {slotOffset(at)});
    if (le::get32(area, at + slot::Mark) != 0)
        fail(rule::Slot,
             QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 の使用中のキースロットの最初のフィールドが、"
                                           "Windows の書く 0 ではなく %2 です"),
             {slotOffset(at), hex(le::get32(area, at + slot::Mark))});
    const unsigned block = le::get16(area, at + slot::Block), id = le::get16(area, at + slot::Id);
    const auto& blocks = walk.layout.blocks;
    if (block >= blocks.size() || id >= MaxIds || blocks[block].records[id] == 0 || walk.owned[block][id])
        fail(rule::Ids,
             QT_TRANSLATE_NOOP("HiveFile",
                               "オフセット %1 のキーはブロック %3 のレコード %2 を指していますが、"
                               "そのレコードはないか、別のキーのものです"),
             {slotOffset(at), std::to_string(id), std::to_string(block)});
    walk.owned[block][id] = true;
    const std::size_t record = blocks[block].offset + blocks[block].records[id];
    const std::string_view name =
        walk.file.substr(record + RecordHeaderSize, le::get16(walk.file, record + record::NameSize));
    if (!hashFits(name, le::get32(area, at + slot::Hash)))
        fail(rule::Hash,
             QT_TRANSLATE_NOOP("HiveFile",
                               "オフセット %1 のキーのハッシュは %2 ですが、名前から求めると %3 です"),
             {slotOffset(at), hex(le::get32(area, at + slot::Hash)), hex(nameHash(name))});
}

// Walks the tree from the root. Returns the key slots, the root's first.
std::vector<std::uint32_t> walkTree(TreeWalk& walk) {
    const std::uint32_t root = le::get32(walk.area, rgkn::Root);
    if (!slotFits(root, walk.layout.keyAreaSize))
        fail(rule::Slot,
             QT_TRANSLATE_NOOP("HiveFile", "ルートキーのスロット (オフセット %1) がキー領域の外にあります"),
             {slotOffset(root)});
    if (le::get16(walk.area, root + slot::Id) != None16 ||
        le::get32(walk.area, root + slot::Parent) != None32 ||
        le::get32(walk.area, root + slot::Next) != None32)
        fail(
            rule::TreeLinks,
            QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 のルートキーに、レコード、親、または兄弟があります"),
            {slotOffset(root)});
    std::vector<std::uint32_t> keys{root};
    walk.seen[root / 4] = true;
    for (std::size_t i = 0; i < keys.size(); ++i)
        for (std::uint32_t at = le::get32(walk.area, keys[i] + slot::Child); at != None32;
             at = le::get32(walk.area, at + slot::Next)) {
            checkChild(walk, at, keys[i]);
            keys.push_back(at);
        }
    return keys;
}

// Every key record belongs to a key.
void checkEveryRecordOwned(const TreeWalk& walk) {
    for (std::size_t b = 0; b < walk.layout.blocks.size(); ++b) {
        const BlockIndex& block = walk.layout.blocks[b];
        for (unsigned id = 0; id < MaxIds; ++id)
            if (block.records[id] != 0 && !walk.owned[b][id])
                fail(rule::Ids,
                     QT_TRANSLATE_NOOP("HiveFile",
                                       "オフセット %1 のレコード (番号 %2) はどのキーのものでもありません"),
                     {hex(block.offset + std::uint64_t{block.records[id]}), std::to_string(id)});
    }
}

// The free runs, linked from the key area's header, lie inside it and overlap no key or
// each other. The list is never empty: the run at the area's end is always in it.
void checkFreeSlots(std::string_view area, std::uint32_t areaSize, std::vector<std::uint32_t> keys) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    for (std::uint32_t at : keys)
        spans.emplace_back(at, at + SlotSize);
    std::uint32_t at = le::get32(area, rgkn::FirstFree);
    if (at == None32)
        fail(rule::FreeSlots,
             QT_TRANSLATE_NOOP("HiveFile", "キー領域の空きスロットのリスト (オフセット %1) が空です"),
             {hex(HeaderSize + rgkn::FirstFree)});
    for (; at != None32; at = le::get32(area, at + slot::NextFree)) {
        if (!slotFits(at, areaSize) || le::get32(area, at + slot::Mark) != FreeSlotMark ||
            spans.size() > areaSize / SlotSize)
            fail(rule::FreeSlots,
                 QT_TRANSLATE_NOOP(
                     "HiveFile", "空きスロットのリストが、空きスロットではないオフセット %1 を指しています"),
                 {slotOffset(at)});
        const std::uint32_t size = le::get32(area, at + slot::FreeSize);
        if (size < SlotSize || size > areaSize - at)
            fail(
                rule::FreeSlots,
                QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 の空きスロットの長さ %2 がキー領域に合いません"),
                {slotOffset(at), hex(size)});
        spans.emplace_back(at, at + size);
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second)
            fail(rule::FreeSlots,
                 QT_TRANSLATE_NOOP("HiveFile", "オフセット %1 と %2 のスロットが重なっています"),
                 {slotOffset(spans[i - 1].first), slotOffset(spans[i].first)});
}

// A value of the key's record that breaks a limit; names the key and the value.
[[noreturn]] void valueOverLimit(const char* text, const KeyShown& key, std::string_view value,
                                 std::size_t size, std::size_t limit) {
    throw Failure(hiveText(text, {key(), cp932::toUtf8(value), std::to_string(size), std::to_string(limit)}));
}

} // namespace

void checkKeyNameLimit(const KeyShown& keyShown, std::size_t nameSize) {
    if (nameSize > MaxNameSize)
        throw Failure(
            hiveText(QT_TRANSLATE_NOOP("HiveFile", "キー %1 の名前は %2 バイトです。"
                                                   "Windows 95/98/Me のキーの名前は %3 バイトまでです"),
                     {keyShown(), std::to_string(nameSize), std::to_string(MaxNameSize)}));
}

void checkValueLimits(const KeyShown& keyShown, std::string_view valueName, std::size_t dataSize) {
    if (valueName.size() > MaxNameSize)
        valueOverLimit(QT_TRANSLATE_NOOP("HiveFile", "キー %1 の値 \"%2\" の名前は %3 バイトです。"
                                                     "Windows 95/98/Me の値の名前は %4 バイトまでです"),
                       keyShown, valueName, valueName.size(), MaxNameSize);
    if (dataSize > MaxDataSize)
        valueOverLimit(QT_TRANSLATE_NOOP("HiveFile", "キー %1 の値 \"%2\" のデータは %3 バイトです。"
                                                     "Windows 95/98/Me の値のデータは %4 バイトまでです"),
                       keyShown, valueName, dataSize, MaxDataSize);
}

void checkKeyLimits(std::string_view record, const KeyShown& keyShown) {
    const std::size_t nameSize = le::get16(record, record::NameSize);
    checkKeyNameLimit(keyShown, nameSize);
    std::size_t pos = RecordHeaderSize + nameSize;
    for (unsigned i = 0, count = le::get16(record, record::ValueCount); i < count; ++i) {
        const std::string_view name =
            record.substr(pos + ValueHeaderSize, le::get16(record, pos + value::NameSize));
        const std::size_t data = le::get16(record, pos + value::DataSize);
        checkValueLimits(keyShown, name, data);
        pos += ValueHeaderSize + name.size() + data;
        if (pos > MaxRecordSize)
            valueOverLimit(QT_TRANSLATE_NOOP("HiveFile",
                                             "キー %1 の名前と値は、値 \"%2\" までで %3 バイトになります。"
                                             "Windows 95/98/Me の 1 つのキーは %4 バイトまでです"),
                           keyShown, name, pos, MaxRecordSize);
    }
}

Layout checkHive(std::string_view file) {
    const Header header = checkHeaders(file);
    Layout layout{header.keyAreaSize, {}};
    std::uint32_t offset = HeaderSize + header.keyAreaSize;
    for (unsigned i = 0; i < header.blocks; ++i) {
        layout.blocks.push_back(scanBlock(file, offset, i));
        offset += layout.blocks.back().size;
    }
    if (offset != file.size())
        fail(rule::Header,
             QT_TRANSLATE_NOOP("HiveFile",
                               "最後のデータブロックの後、オフセット %1 から %2 バイトが続いています"),
             {hex(offset), std::to_string(file.size() - offset)});
    TreeWalk walk{layout, file.substr(HeaderSize, header.keyAreaSize), file,
                  std::vector<bool>(header.keyAreaSize / 4),
                  std::vector<std::vector<bool>>(layout.blocks.size(), std::vector<bool>(MaxIds))};
    const std::vector<std::uint32_t> keys = walkTree(walk);
    checkEveryRecordOwned(walk);
    checkFreeSlots(walk.area, header.keyAreaSize, keys);
    return layout;
}

} // namespace kv::hive
