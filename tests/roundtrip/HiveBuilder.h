// Builds small Windows 98 binary registry files (CREG) for tests, from the format's public
// description: a 32-byte file header, the key navigation record (RGKN) with one 28-byte
// hierarchy entry per key, and one data block (RGDB) holding each key's name and values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::test {

struct HiveValue {
    std::string name;
    std::uint32_t type;
    std::string data;
};

struct HiveKey {
    std::string name;
    std::vector<HiveValue> values;
    std::vector<HiveKey> children;
};

class HiveBuilder {
public:
    // root is the hive's root key; its name stays empty and it holds no values.
    static std::string build(const HiveKey& root) {
        HiveBuilder builder;
        builder.flatten(root, NoKey);
        return builder.file();
    }

    // Damage for tests, on a file build made: key number `key` (0 is the root, then the keys in
    // the order they were given, depth first) gets `to` as its first key or as the next key
    // beside it, or takes its name and values from key number `named`.
    enum Link : std::uint32_t { FirstChild = 16, Next = 20 };
    static void setLink(std::string& file, std::uint32_t key, Link link, std::uint32_t to) {
        patch(file, key, link, offsetOf(to), 4);
    }
    static void shareName(std::string& file, std::uint32_t key, std::uint32_t named) {
        patch(file, key, 24, named, 2);
    }

private:
    static constexpr std::uint32_t NoKey = 0xffffffff;
    static constexpr std::uint32_t HeaderSize = 32, EntrySize = 28, FreeRoom = 32;

    struct Flat {
        const HiveKey* key;
        std::uint32_t parent, firstChild = NoKey, next = NoKey;
    };

    static void put32(std::string& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(v >> (8 * i) & 0xff);
    }
    static void put16(std::string& out, std::uint32_t v) {
        out += static_cast<char>(v & 0xff);
        out += static_cast<char>(v >> 8 & 0xff);
    }
    static void patch(std::string& file, std::uint32_t key, std::uint32_t field, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.at(2 * HeaderSize + key * EntrySize + field + i) = static_cast<char>(v >> (8 * i) & 0xff);
    }
    static std::uint32_t offsetOf(std::uint32_t index) {
        return index == NoKey ? NoKey : HeaderSize + index * EntrySize;
    }
    // The sum of the upper-cased name's ASCII bytes.
    static std::uint32_t hashOf(const std::string& name) {
        std::uint32_t hash = 0;
        for (unsigned char c : name)
            if (c < 0x80)
                hash += (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
        return hash;
    }

    std::uint32_t flatten(const HiveKey& key, std::uint32_t parent) {
        const auto index = static_cast<std::uint32_t>(m_keys.size());
        m_keys.push_back({&key, parent});
        std::uint32_t previous = NoKey;
        for (const HiveKey& child : key.children) {
            const std::uint32_t childIndex = flatten(child, index);
            if (previous == NoKey)
                m_keys[index].firstChild = childIndex;
            else
                m_keys[previous].next = childIndex;
            previous = childIndex;
        }
        return index;
    }

    std::string navigation() const {
        std::string out = "RGKN";
        // Real files keep free room at the record's end; readers count on it.
        const auto used = HeaderSize + static_cast<std::uint32_t>(m_keys.size()) * EntrySize;
        put32(out, used + FreeRoom);
        put32(out, HeaderSize); // the root key's entry
        put32(out, used);
        out.append(HeaderSize - out.size(), '\0');
        for (std::uint32_t i = 0; i < m_keys.size(); ++i) {
            const Flat& flat = m_keys[i];
            put32(out, 0);
            put32(out, hashOf(flat.key->name));
            put32(out, NoKey);
            put32(out, offsetOf(flat.parent));
            put32(out, offsetOf(flat.firstChild));
            put32(out, offsetOf(flat.next));
            // The root key has no name entry: its entry and block numbers are -1.
            put16(out, i == 0 ? 0xffff : i);
            put16(out, i == 0 ? 0xffff : 0);
        }
        out.append(FreeRoom, '\0');
        return out;
    }

    std::string keyEntry(std::uint32_t index) const {
        const HiveKey& key = *m_keys[index].key;
        std::string values;
        for (const HiveValue& value : key.values) {
            put32(values, value.type);
            put32(values, 0);
            put16(values, static_cast<std::uint32_t>(value.name.size()));
            put16(values, static_cast<std::uint32_t>(value.data.size()));
            values += value.name;
            values += value.data;
        }
        const auto size = static_cast<std::uint32_t>(20 + key.name.size() + values.size());
        std::string out;
        put32(out, size);
        put16(out, index);
        put16(out, 0);
        put32(out, size);
        put16(out, static_cast<std::uint32_t>(key.name.size()));
        put16(out, static_cast<std::uint32_t>(key.values.size()));
        put32(out, 0);
        return out + key.name + values;
    }

    std::string file() const {
        std::string entries;
        for (std::uint32_t i = 1; i < m_keys.size(); ++i)
            entries += keyEntry(i);
        std::string block = "RGDB";
        put32(block, HeaderSize + static_cast<std::uint32_t>(entries.size()));
        put32(block, 0);
        put16(block, 0);
        put16(block, 0);
        put32(block, HeaderSize + static_cast<std::uint32_t>(entries.size()));
        block.append(HeaderSize - block.size(), '\0');
        block += entries;

        const std::string keys = navigation();
        std::string out = "CREG";
        put16(out, 0);
        put16(out, 1);
        put32(out, HeaderSize + static_cast<std::uint32_t>(keys.size()));
        put32(out, 0);
        put16(out, 1);
        out.append(HeaderSize - out.size(), '\0');
        return out + keys + block;
    }

    std::vector<Flat> m_keys;
};

} // namespace kv::test
