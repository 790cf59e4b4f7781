// Builds small Windows 98 binary registry files (CREG) for tests, with Kavendel's own writer of
// the format: an empty file, then each key and value added in order.
#pragma once

#include "Hive.h"

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
        hive::Hive file = hive::Hive::empty();
        add(file, file.root(), root);
        return file.write();
    }

    // Damage for tests, on a file build made: key number `key` (0 is the root, then the keys in
    // the order they were given, depth first) gets `to` as its first key or as the next key
    // beside it, or takes its name and values from key number `named`.
    enum Link : std::uint32_t { FirstChild = 16, Next = 20 };
    static void setLink(std::string& file, std::uint32_t key, Link link, std::uint32_t to) {
        patch(file, key, link, offsetOf(to), 4);
    }
    static void shareName(std::string& file, std::uint32_t key, std::uint32_t named) {
        const std::size_t from = 2 * HeaderSize + named * EntrySize + 24; // its id and block
        file.replace(2 * HeaderSize + key * EntrySize + 24, 4, file.substr(from, 4));
    }

private:
    static void add(hive::Hive& file, hive::Hive::Key key, const HiveKey& from) {
        for (const HiveValue& value : from.values)
            file.setValue(key, value.name, value.type, value.data);
        for (const HiveKey& child : from.children)
            add(file, file.addKey(key, child.name), child);
    }
    // The key area's header and its 28-byte key entries, in the order build added the keys.
    static constexpr std::uint32_t NoKey = 0xffffffff;
    static constexpr std::uint32_t HeaderSize = 32, EntrySize = 28;

    static void patch(std::string& file, std::uint32_t key, std::uint32_t field, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.at(2 * HeaderSize + key * EntrySize + field + i) = static_cast<char>(v >> (8 * i) & 0xff);
    }
    static std::uint32_t offsetOf(std::uint32_t index) {
        return index == NoKey ? NoKey : HeaderSize + index * EntrySize;
    }
};

} // namespace kv::test
