#include "Hive.h"

#include "Cp932.h"
#include "Failure.h"
#include "HiveFormat.h"

#include <algorithm>

namespace kv::hive {

namespace {

constexpr std::uint32_t roundUp(std::uint32_t n, std::uint32_t to) {
    return (n + to - 1) / to * to;
}

// Where the value at pos of a record body ends.
std::size_t valueEnd(std::string_view body, std::size_t pos) {
    return pos + ValueHeaderSize + le::get16(body, pos + value::NameSize) +
           le::get16(body, pos + value::DataSize);
}

// Brings each checksum marked valid up to date.
void sealChecksums(std::string& file) {
    auto seal = [&](std::size_t at, std::size_t size, std::size_t checksumAt, bool marked) {
        if (marked)
            le::put32(file, at + checksumAt,
                      0u - wordSum(std::string_view(file).substr(at, size), checksumAt));
    };
    seal(0, HeaderSize, creg::Checksum, le::get16(file, creg::Flags) & ChecksumValid);
    const std::uint32_t areaSize = le::get32(file, HeaderSize + rgkn::Size);
    seal(HeaderSize, areaSize, rgkn::Checksum, le::get32(file, HeaderSize + rgkn::Flags) & ChecksumValid);
    for (std::size_t at = HeaderSize + areaSize; at < file.size(); at += le::get32(file, at + rgdb::Size))
        seal(at, le::get32(file, at + rgdb::Size), rgdb::Checksum,
             le::get16(file, at + rgdb::Flags) & ChecksumValid);
}

} // namespace

Hive::Hive(std::string bytes)
    : m_bytes(std::move(bytes))
    , m_layout(checkHive(m_bytes)) {}

Hive Hive::read(std::string bytes) {
    return Hive(std::move(bytes));
}

Hive Hive::empty(bool checksums) {
    const std::uint32_t checked = checksums ? ChecksumValid : 0;
    constexpr std::uint32_t areaSize = 2 * Page, root = HeaderSize, firstFree = HeaderSize + SlotSize;
    std::string b(HeaderSize + areaSize + Page, '\0');
    b.replace(0, 4, "CREG");
    le::put32(b, 4, 0x10000);
    le::put32(b, creg::BlocksOffset, HeaderSize + areaSize);
    le::put16(b, creg::BlockCount, 1);
    le::put16(b, creg::Flags, checked);
    le::put32(b, 20, 0x10000);
    const std::size_t area = HeaderSize, slot = area + root, run = area + firstFree;
    b.replace(area, 4, "RGKN");
    le::put32(b, area + rgkn::Size, areaSize);
    le::put32(b, area + rgkn::Root, root);
    le::put32(b, area + rgkn::FirstFree, firstFree);
    le::put32(b, area + rgkn::Flags, 0x8 | checked);
    for (std::size_t field : {slot::NextFree, slot::Parent, slot::Child, slot::Next, slot::Id})
        le::put32(b, slot + field, None32);
    le::put32(b, run + slot::Mark, FreeSlotMark);
    le::put32(b, run + slot::FreeSize, areaSize - firstFree);
    le::put32(b, run + slot::NextFree, None32);
    const std::size_t block = HeaderSize + areaSize, record = block + HeaderSize;
    b.replace(block, 4, "RGDB");
    le::put32(b, block + rgdb::Size, Page);
    le::put32(b, block + rgdb::Unused, Page - HeaderSize);
    le::put16(b, block + rgdb::Flags, 0x8 | checked);
    le::put32(b, block + rgdb::FirstFree, HeaderSize);
    le::put32(b, record + record::Size, Page - HeaderSize);
    le::put32(b, record + record::Id, None32);
    le::put32(b, record + record::NextFree, None32);
    sealChecksums(b);
    return Hive(std::move(b));
}

std::string Hive::write() const {
    std::string out = m_bytes;
    sealChecksums(out);
    checkHive(out);
    return out;
}

Hive::Key Hive::root() const {
    return le::get32(m_bytes, HeaderSize + rgkn::Root);
}

std::size_t Hive::slotAt(Key key) const {
    return HeaderSize + key;
}

Hive::Place Hive::placeOf(Key key) const {
    if (key == root())
        throw Failure(hiveText(QT_TRANSLATE_NOOP("HiveFile", "ルートキーには名前も値もありません")));
    return {le::get16(m_bytes, slotAt(key) + slot::Block), le::get16(m_bytes, slotAt(key) + slot::Id)};
}

std::size_t Hive::recordAt(Place place) const {
    const BlockIndex& block = m_layout.blocks[place.block];
    return block.offset + block.records[place.id];
}

std::string Hive::recordBody(Key key) const {
    const std::size_t at = recordAt(placeOf(key));
    return m_bytes.substr(at, le::get32(m_bytes, at + record::Used));
}

std::vector<Hive::Key> Hive::children(Key key) const {
    std::vector<Key> out;
    for (Key at = le::get32(m_bytes, slotAt(key) + slot::Child); at != None32;
         at = le::get32(m_bytes, slotAt(at) + slot::Next))
        out.push_back(at);
    return out;
}

std::optional<Hive::Key> Hive::child(Key key, std::string_view name) const {
    for (Key at : children(key))
        if (hashFits(name, le::get32(m_bytes, slotAt(at) + slot::Hash)) &&
            cp932::equalsIgnoreCase(this->name(at), name))
            return at;
    return std::nullopt;
}

std::string Hive::name(Key key) const {
    if (key == root())
        return {};
    const std::size_t at = recordAt(placeOf(key));
    return m_bytes.substr(at + RecordHeaderSize, le::get16(m_bytes, at + record::NameSize));
}

std::string Hive::shownPath(Key key) const {
    std::string path;
    for (; key != root(); key = le::get32(m_bytes, slotAt(key) + slot::Parent))
        path.insert(0, (path.empty() ? "" : "\\") + cp932::toUtf8(name(key)));
    return path;
}

std::vector<Value> Hive::values(Key key) const {
    std::vector<Value> out;
    if (key == root())
        return out;
    const std::string body = recordBody(key);
    std::size_t pos = RecordHeaderSize + le::get16(body, record::NameSize);
    for (unsigned i = 0, count = le::get16(body, record::ValueCount); i < count; ++i) {
        const std::size_t nameSize = le::get16(body, pos + value::NameSize);
        out.push_back(
            {body.substr(pos + ValueHeaderSize, nameSize), le::get32(body, pos + value::Type),
             body.substr(pos + ValueHeaderSize + nameSize, le::get16(body, pos + value::DataSize))});
        pos = valueEnd(body, pos);
    }
    return out;
}

std::optional<std::size_t> Hive::findValue(std::string_view body, std::string_view name) const {
    std::size_t pos = RecordHeaderSize + le::get16(body, record::NameSize);
    for (unsigned i = 0, count = le::get16(body, record::ValueCount); i < count; ++i) {
        if (cp932::equalsIgnoreCase(
                body.substr(pos + ValueHeaderSize, le::get16(body, pos + value::NameSize)), name))
            return pos;
        pos = valueEnd(body, pos);
    }
    return std::nullopt;
}

void Hive::setValue(Key key, std::string_view name, std::uint32_t type, std::string_view data) {
    checkValueLimits([&] { return shownPath(key); }, name, data.size());
    std::string body = recordBody(key);
    const auto pos = findValue(body, name);
    if (pos && le::get16(body, *pos + value::DataSize) == data.size()) {
        // The same size: overwritten where it lies, and nothing else moves.
        const std::size_t at = recordAt(placeOf(key)) + *pos;
        le::put32(m_bytes, at + value::Type, type);
        m_bytes.replace(at + ValueHeaderSize + le::get16(body, *pos + value::NameSize), data.size(), data);
        return;
    }
    std::string entry(ValueHeaderSize, '\0');
    if (pos) {
        entry = body.substr(*pos, ValueHeaderSize) +
                body.substr(*pos + ValueHeaderSize, le::get16(body, *pos + value::NameSize));
        body.erase(*pos, valueEnd(body, *pos) - *pos);
    } else {
        le::put16(entry, value::NameSize, static_cast<std::uint32_t>(name.size()));
        entry += name;
        le::put16(body, record::ValueCount, le::get16(body, record::ValueCount) + 1);
    }
    le::put32(entry, value::Type, type);
    le::put16(entry, value::DataSize, static_cast<std::uint32_t>(data.size()));
    body.insert(pos.value_or(body.size()), entry.append(data));
    storeRecord(key, std::move(body));
}

bool Hive::removeValue(Key key, std::string_view name) {
    std::string body = recordBody(key);
    const auto pos = findValue(body, name);
    if (!pos)
        return false;
    body.erase(*pos, valueEnd(body, *pos) - *pos);
    le::put16(body, record::ValueCount, le::get16(body, record::ValueCount) - 1);
    storeRecord(key, std::move(body));
    return true;
}

void Hive::storeRecord(Key key, std::string body) {
    checkKeyLimits(body, [&] { return shownPath(key); });
    const auto size = static_cast<std::uint32_t>(body.size());
    le::put32(body, record::Used, size);
    const Place old = placeOf(key);
    const std::uint32_t oldAt = m_layout.blocks[old.block].records[old.id];
    const std::size_t at = recordAt(old);
    if (size <= le::get32(m_bytes, at + record::Size)) {
        // It fits where it is; what it no longer uses stays as slack at its end.
        m_bytes.replace(at + record::Id, size - record::Id, body, record::Id);
        return;
    }
    if (const std::uint32_t room = makeRoom(old.block, size)) {
        putRecord(old, room, body);
        releaseRecord(old.block, oldAt);
        return;
    }
    // Its block is at its largest: the key moves to another block, under another id.
    const Place moved = placeNew(body);
    releaseRecord(old.block, oldAt);
    releaseId(old);
    le::put16(m_bytes, slotAt(key) + slot::Id, moved.id);
    le::put16(m_bytes, slotAt(key) + slot::Block, moved.block);
}

void Hive::putRecord(Place place, std::uint32_t at, std::string_view body) {
    BlockIndex& block = m_layout.blocks[place.block];
    const std::size_t to = block.offset + at;
    m_bytes.replace(to + record::Id, body.size() - record::Id, body.substr(record::Id));
    le::put16(m_bytes, to + record::Id, place.id);
    le::put16(m_bytes, to + record::Block, place.block);
    block.records[place.id] = at;
}

std::uint32_t Hive::makeRoom(unsigned block, std::uint32_t size) {
    if (const std::uint32_t at = takeFreeRecord(block, size))
        return at;
    const std::uint32_t by = roundUp(size, Page);
    if (m_layout.blocks[block].size + std::uint64_t{by} > MaxBlockSize)
        return 0;
    growBlock(block, by);
    return takeFreeRecord(block, size);
}

std::uint32_t Hive::takeFreeRecord(unsigned block, std::uint32_t size) {
    const std::size_t base = m_layout.blocks[block].offset;
    // Windows leaves what a free record held before, name size and all. A reader that parses
    // the records in order, free ones too, stops at a name size larger than its record, so the
    // free records of a block that gets a record are cleared of it.
    for (std::uint32_t at = le::get32(m_bytes, base + rgdb::FirstFree); at != None32;
         at = le::get32(m_bytes, base + at + record::NextFree))
        le::put32(m_bytes, base + at + record::NameSize, 0);
    std::size_t link = base + rgdb::FirstFree; // where the pointer to the record looked at lies
    for (std::uint32_t at = le::get32(m_bytes, link); at != None32; at = le::get32(m_bytes, link)) {
        const std::uint32_t free = le::get32(m_bytes, base + at + record::Size);
        if (free < size) {
            link = base + at + record::NextFree;
            continue;
        }
        std::uint32_t next = le::get32(m_bytes, base + at + record::NextFree), taken = free;
        if (free - size >= RecordHeaderSize) {
            // The rest stays a free record, in the taken one's place in the list.
            const std::size_t rest = base + at + size;
            le::put32(m_bytes, rest + record::Size, free - size);
            markFree(rest, next);
            next = at + size;
            taken = size;
        }
        le::put32(m_bytes, link, next);
        le::put32(m_bytes, base + at + record::Size, taken);
        le::put32(m_bytes, base + rgdb::Unused, le::get32(m_bytes, base + rgdb::Unused) - taken);
        return at;
    }
    return 0;
}

// A free record names no key and holds no name or values, so that a reader that parses every
// record as a key's finds nothing in it.
void Hive::markFree(std::size_t at, std::uint32_t next) {
    le::put32(m_bytes, at + record::Id, None32);
    le::put32(m_bytes, at + record::NextFree, next);
    le::put32(m_bytes, at + record::NameSize, 0);
}

void Hive::releaseRecord(unsigned block, std::uint32_t at) {
    const std::size_t base = m_layout.blocks[block].offset;
    markFree(base + at, le::get32(m_bytes, base + rgdb::FirstFree));
    le::put32(m_bytes, base + rgdb::FirstFree, at);
    le::put32(m_bytes, base + rgdb::Unused,
              le::get32(m_bytes, base + rgdb::Unused) + le::get32(m_bytes, base + at));
}

void Hive::growBlock(unsigned number, std::uint32_t by) {
    BlockIndex& block = m_layout.blocks[number];
    insertBytes(block.offset + block.size, by);
    const std::uint32_t at = block.size;
    block.size += by;
    le::put32(m_bytes, block.offset + rgdb::Size, block.size);
    le::put32(m_bytes, block.offset + at + record::Size, by);
    releaseRecord(number, at);
}

unsigned Hive::addBlock(std::uint32_t size) {
    const auto number = static_cast<unsigned>(m_layout.blocks.size());
    if (number >= None16)
        throw Failure(
            hiveText(QT_TRANSLATE_NOOP("HiveFile", "ファイルにはもうデータブロックを追加できません")));
    const std::size_t at = m_bytes.size();
    m_bytes.append(size, '\0');
    m_bytes.replace(at, 4, "RGDB");
    le::put32(m_bytes, at + rgdb::Size, size);
    le::put16(m_bytes, at + rgdb::Flags, le::get16(m_bytes, m_layout.blocks[0].offset + rgdb::Flags));
    le::put16(m_bytes, at + rgdb::Number, number);
    le::put32(m_bytes, at + rgdb::FirstFree, None32);
    le::put16(m_bytes, creg::BlockCount, number + 1);
    m_layout.blocks.push_back({static_cast<std::uint32_t>(at), size, {}});
    le::put32(m_bytes, at + HeaderSize + record::Size, size - HeaderSize);
    releaseRecord(number, HeaderSize);
    return number;
}

std::uint16_t Hive::claimId(unsigned number) {
    BlockIndex& block = m_layout.blocks[number];
    const std::uint16_t id = le::get16(m_bytes, block.offset + rgdb::FreeId);
    std::uint16_t next = id + 1;
    while (next < MaxIds && block.records[next] != 0)
        ++next;
    le::put16(m_bytes, block.offset + rgdb::FreeId, next);
    le::put16(m_bytes, block.offset + rgdb::MaxId,
              std::max(le::get16(m_bytes, block.offset + rgdb::MaxId), id));
    return id;
}

void Hive::releaseId(Place place) {
    BlockIndex& block = m_layout.blocks[place.block];
    block.records[place.id] = 0;
    le::put16(m_bytes, block.offset + rgdb::FreeId,
              std::min(le::get16(m_bytes, block.offset + rgdb::FreeId), place.id));
}

Hive::Place Hive::placeNew(std::string_view body) {
    const auto size = static_cast<std::uint32_t>(body.size());
    const auto blocks = static_cast<unsigned>(m_layout.blocks.size());
    auto hasFreeId = [&](unsigned b) {
        return le::get16(m_bytes, m_layout.blocks[b].offset + rgdb::FreeId) < MaxIds;
    };
    // A free record that fits first, then a block that may grow, then a new block.
    std::optional<std::pair<unsigned, std::uint32_t>> found;
    for (unsigned b = 0; b < blocks && !found; ++b)
        if (const std::uint32_t at = hasFreeId(b) ? takeFreeRecord(b, size) : 0)
            found.emplace(b, at);
    for (unsigned b = 0; b < blocks && !found; ++b)
        if (const std::uint32_t at = hasFreeId(b) ? makeRoom(b, size) : 0)
            found.emplace(b, at);
    if (!found) {
        const unsigned b = addBlock(roundUp(size + HeaderSize, Page));
        found.emplace(b, takeFreeRecord(b, size));
    }
    const Place place{found->first, claimId(found->first)};
    putRecord(place, found->second, body);
    return place;
}

Hive::Key Hive::addKey(Key parent, std::string_view name) {
    const auto shown = [&] {
        return (parent == root() ? "" : shownPath(parent) + "\\") + cp932::toUtf8(name);
    };
    if (name.empty() || cp932::findChar(name, '\\') != std::string_view::npos)
        throw Failure(
            hiveText(QT_TRANSLATE_NOOP(
                         "HiveFile", "キー \"%1\" は作れません: キーの名前は空にできず、\\ を含められません"),
                     {shown()}));
    checkKeyNameLimit(shown, name.size());
    if (child(parent, name))
        throw Failure(hiveText(QT_TRANSLATE_NOOP("HiveFile", "キー %1 はすでにあります"), {shown()}));
    std::string body(RecordHeaderSize, '\0');
    le::put16(body, record::NameSize, static_cast<std::uint32_t>(name.size()));
    body += name;
    le::put32(body, record::Used, static_cast<std::uint32_t>(body.size()));
    const Key key = takeSlot();
    const Place place = placeNew(body);
    const std::size_t at = slotAt(key);
    le::put32(m_bytes, at + slot::Mark, 0);
    le::put32(m_bytes, at + slot::Hash, nameHash(name));
    for (std::size_t field : {slot::NextFree, slot::Child, slot::Next})
        le::put32(m_bytes, at + field, None32);
    le::put32(m_bytes, at + slot::Parent, parent);
    le::put16(m_bytes, at + slot::Id, place.id);
    le::put16(m_bytes, at + slot::Block, place.block);
    // The last child: new keys come after their siblings, as regedit lists them.
    std::size_t link = slotAt(parent) + slot::Child;
    while (le::get32(m_bytes, link) != None32)
        link = slotAt(le::get32(m_bytes, link)) + slot::Next;
    le::put32(m_bytes, link, key);
    return key;
}

void Hive::removeKey(Key key) {
    if (key == root())
        throw Failure(hiveText(QT_TRANSLATE_NOOP("HiveFile", "ルートキーは削除できません")));
    unlink(key);
    std::vector<Key> doomed{key};
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (Key child : children(doomed[i]))
            doomed.push_back(child);
    for (Key k : doomed) {
        const Place place = placeOf(k);
        releaseRecord(place.block, m_layout.blocks[place.block].records[place.id]);
        releaseId(place);
        freeSlot(k);
    }
}

void Hive::unlink(Key key) {
    std::size_t link = slotAt(le::get32(m_bytes, slotAt(key) + slot::Parent)) + slot::Child;
    while (le::get32(m_bytes, link) != key)
        link = slotAt(le::get32(m_bytes, link)) + slot::Next;
    le::put32(m_bytes, link, le::get32(m_bytes, slotAt(key) + slot::Next));
}

// Takes the first free slot. A longer free run gives up its first slot and keeps the rest;
// a slot never crosses a page. When no free slot is left, the key area grows by a page.
Hive::Key Hive::takeSlot() {
    constexpr std::size_t head = HeaderSize + rgkn::FirstFree;
    const Key key = le::get32(m_bytes, head);
    const std::size_t at = slotAt(key);
    const std::uint32_t run = le::get32(m_bytes, at + slot::FreeSize), end = key + run;
    Key next = le::get32(m_bytes, at + slot::NextFree);
    Key rest = key + SlotSize;
    if (slotCrossesPage(rest))
        rest = roundUp(rest + 1, Page);
    if (run > SlotSize && rest + SlotSize <= end) {
        le::put32(m_bytes, slotAt(rest) + slot::Mark, FreeSlotMark);
        le::put32(m_bytes, slotAt(rest) + slot::FreeSize, end - rest);
        le::put32(m_bytes, slotAt(rest) + slot::NextFree, next);
        next = rest;
    }
    le::put32(m_bytes, head, next);
    if (next == None32)
        growKeyArea();
    return key;
}

void Hive::growKeyArea() {
    const std::uint32_t size = m_layout.keyAreaSize;
    insertBytes(HeaderSize + size, Page);
    m_layout.keyAreaSize += Page;
    le::put32(m_bytes, HeaderSize + rgkn::Size, m_layout.keyAreaSize);
    le::put32(m_bytes, creg::BlocksOffset, HeaderSize + m_layout.keyAreaSize);
    le::put32(m_bytes, slotAt(size) + slot::Mark, FreeSlotMark);
    le::put32(m_bytes, slotAt(size) + slot::FreeSize, Page);
    le::put32(m_bytes, slotAt(size) + slot::NextFree, None32);
    le::put32(m_bytes, HeaderSize + rgkn::FirstFree, size);
}

void Hive::freeSlot(Key key) {
    const std::size_t at = slotAt(key);
    le::put32(m_bytes, at + slot::Mark, FreeSlotMark);
    le::put32(m_bytes, at + slot::FreeSize, SlotSize);
    le::put32(m_bytes, at + slot::NextFree, le::get32(m_bytes, HeaderSize + rgkn::FirstFree));
    le::put32(m_bytes, at + slot::Id, None32);
    le::put32(m_bytes, HeaderSize + rgkn::FirstFree, key);
}

void Hive::insertBytes(std::size_t at, std::size_t count) {
    m_bytes.insert(at, count, '\0');
    for (BlockIndex& block : m_layout.blocks)
        if (block.offset >= at)
            block.offset += static_cast<std::uint32_t>(count);
}

} // namespace kv::hive
