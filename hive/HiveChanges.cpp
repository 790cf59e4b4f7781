#include "HiveChanges.h"

namespace kv::hive {

namespace {

Hive::Key ensureKey(Hive& hive, const std::vector<std::string>& path) {
    Hive::Key key = hive.root();
    for (const std::string& name : path) {
        const auto child = hive.child(key, name);
        key = child ? *child : hive.addKey(key, name);
    }
    return key;
}

} // namespace

std::optional<Hive::Key> findKey(const Hive& hive, const std::vector<std::string>& path) {
    std::optional<Hive::Key> key = hive.root();
    for (auto it = path.begin(); key && it != path.end(); ++it)
        key = hive.child(*key, *it);
    return key;
}

void applyChanges(Hive& hive, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        switch (change.kind) {
        case Change::Kind::SetValue:
            hive.setValue(ensureKey(hive, change.path), change.name, change.type, change.data);
            break;
        case Change::Kind::RemoveValue:
            if (const auto key = findKey(hive, change.path))
                hive.removeValue(*key, change.name);
            break;
        case Change::Kind::AddKey:
            ensureKey(hive, change.path);
            break;
        case Change::Kind::RemoveKey:
            if (const auto key = findKey(hive, change.path); key && !change.path.empty())
                hive.removeKey(*key);
            break;
        }
    }
}

} // namespace kv::hive
