// A Windows 95/98/Me registry file (SYSTEM.DAT, USER.DAT) held as its own bytes plus an index
// of where each block and record lies. Everything the model does not interpret (unknown fields,
// the order of records, slack at a record's end, free records and their leftover bytes) stays
// as it was, so a file read and written unchanged comes out byte for byte as it came in.
//
// Changes follow the file's own rules: data of the same size is overwritten where it lies; a
// record that grows moves into a free record of its block, or its block grows and the blocks
// after it move, or, when the block is at its largest, it moves to another block. A new key
// takes a free key slot (the key area grows a page at a time), a free id in a block that has
// one, and its name's hash. What is removed becomes free records and free slots, linked into
// the free lists as the file links them.
#pragma once

#include "HiveCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::hive {

struct Value {
    std::string name; // "" is the key's default value
    std::uint32_t type = 0;
    std::string data;
    bool operator==(const Value&) const = default;
};

class Hive {
public:
    // A key, as the offset of its slot in the key area.
    using Key = std::uint32_t;

    // Reads a file; throws a Failure naming the rule it breaks (see HiveCheck.h).
    static Hive read(std::string bytes);
    // A file holding the root key only. checksums: whether its areas are marked as checksummed.
    static Hive empty(bool checksums = false);

    // The file as it now is, checksums brought up to date where they are marked valid. Checks
    // every rule first and throws that Failure rather than return a file that breaks one.
    std::string write() const;
    const std::string& bytes() const { return m_bytes; }

    Key root() const;
    std::vector<Key> children(Key key) const;
    // The child of that name, compared as the registry compares names.
    std::optional<Key> child(Key key, std::string_view name) const;
    std::string name(Key key) const;
    std::vector<Value> values(Key key) const;
    // The key's names from the root's child down, joined by "\\", as UTF-8 for messages.
    std::string shownPath(Key key) const;

    // A new last child; throws a Failure for a name the registry cannot hold or that
    // a sibling has already. A change that would break one of Windows 95/98/Me's limits
    // (HiveCheck.h) is refused with a Failure naming the key and value, and changes nothing.
    Key addKey(Key parent, std::string_view name);
    // Removes the key and everything under it. The root cannot be removed.
    void removeKey(Key key);
    // Creates or replaces; a replaced value keeps its place and its name's spelling.
    void setValue(Key key, std::string_view name, std::uint32_t type, std::string_view data);
    bool removeValue(Key key, std::string_view name);

private:
    struct Place {
        unsigned block;
        std::uint16_t id;
    };
    explicit Hive(std::string bytes);

    std::size_t slotAt(Key key) const;
    std::size_t recordAt(Place place) const;
    Place placeOf(Key key) const;
    std::string recordBody(Key key) const;
    std::optional<std::size_t> findValue(std::string_view body, std::string_view name) const;

    void storeRecord(Key key, std::string body);
    void putRecord(Place place, std::uint32_t at, std::string_view body);
    // A free record of at least size bytes in the block, growing it if it may; 0 for none.
    std::uint32_t makeRoom(unsigned block, std::uint32_t size);
    std::uint32_t takeFreeRecord(unsigned block, std::uint32_t size);
    void releaseRecord(unsigned block, std::uint32_t at);
    void markFree(std::size_t at, std::uint32_t next);
    void growBlock(unsigned block, std::uint32_t by);
    unsigned addBlock(std::uint32_t size);
    std::uint16_t claimId(unsigned block);
    void releaseId(Place place);
    // A new record holding body, in the first block that has a free id and room for it.
    Place placeNew(std::string_view body);

    Key takeSlot();
    void growKeyArea();
    void freeSlot(Key key);
    void unlink(Key key);
    // Inserts zeros; the blocks at or after at move.
    void insertBytes(std::size_t at, std::size_t count);

    std::string m_bytes;
    Layout m_layout;
};

} // namespace kv::hive
