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

private:
    static void add(hive::Hive& file, hive::Hive::Key key, const HiveKey& from) {
        for (const HiveValue& value : from.values)
            file.setValue(key, value.name, value.type, value.data);
        for (const HiveKey& child : from.children)
            add(file, file.addKey(key, child.name), child);
    }
};

} // namespace kv::test
