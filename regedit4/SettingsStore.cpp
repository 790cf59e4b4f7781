#include "SettingsStore.h"

namespace kv {

bool applyChange(RegKey& top, const Change& change) {
    switch (change.kind) {
    case Change::Kind::CreateKey:
        top.ensure(change.path);
        return true;
    case Change::Kind::SetValue:
        top.ensure(change.path).setValue(change.value.name, change.value.type, change.value.data);
        return true;
    case Change::Kind::RemoveKey: {
        if (change.path.empty())
            return false;
        KeyPath parentPath(change.path.begin(), change.path.end() - 1);
        RegKey* parent = top.find(parentPath);
        return parent && parent->removeChild(change.path.back());
    }
    }
    return false;
}

KeyPath SettingsStore::rootPath(RootKey root) const {
    if (root == RootKey::LocalMachine)
        return {"HKEY_LOCAL_MACHINE"};
    const RegKey& top = tree();
    if (!top.child("HKEY_CURRENT_USER") && top.child("HKEY_USERS"))
        return {"HKEY_USERS", ".DEFAULT"};
    return {"HKEY_CURRENT_USER"};
}

MemoryStore::MemoryStore() {
    m_top.ensureChild("HKEY_LOCAL_MACHINE");
    m_top.ensureChild("HKEY_CURRENT_USER");
}

bool changesTree(const RegKey& top, const Change& change) {
    const RegKey* key = top.find(change.path);
    switch (change.kind) {
    case Change::Kind::CreateKey:
        return !key;
    case Change::Kind::RemoveKey:
        return key != nullptr;
    case Change::Kind::SetValue: {
        const RegValue* value = key ? key->value(change.value.name) : nullptr;
        return !value || value->type != change.value.type || value->data != change.value.data;
    }
    }
    return true;
}

} // namespace kv
