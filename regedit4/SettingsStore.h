// The settings store behind every TSettingsAccessor: a key tree whose every change is durable
// when it has been applied. MemoryStore keeps the tree in memory only; RegistryFileStore backs
// it with a machine folder's registry.reg.
#pragma once

#include "Failure.h"

#include "KeyTree.h"

namespace kv {

enum class RootKey { LocalMachine, CurrentUser };

// One change to the tree, in full tree paths (hive first).
struct Change {
    enum class Kind { CreateKey, SetValue, RemoveKey };
    Kind kind = Kind::CreateKey;
    KeyPath path;
    RegValue value; // SetValue only
};

// Applies a change to a tree; false when it cannot apply (removing a missing key).
bool applyChange(RegKey& top, const Change& change);
// Whether applying the change would alter the tree: opening an existing key, or storing a value
// exactly as it is, changes nothing.
bool changesTree(const RegKey& top, const Change& change);

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Called when an accessor is created: afterwards the tree shows the latest saved state.
    virtual void refresh() {}
    virtual const RegKey& tree() const = 0;
    // Makes the change durable, then shows it in tree(). Throws Failure when it cannot; the
    // tree is then what the store holds without the change: nothing of it is kept or written later.
    virtual void apply(const Change& change) = 0;

    // The tree path of a root. HKEY_CURRENT_USER is HKEY_USERS\.DEFAULT in a tree that has
    // HKEY_USERS but no HKEY_CURRENT_USER, as in a registry exported whole from Windows 98.
    KeyPath rootPath(RootKey root) const;
};

class MemoryStore final : public SettingsStore {
public:
    MemoryStore();
    const RegKey& tree() const override { return m_top; }
    void apply(const Change& change) override { applyChange(m_top, change); }

private:
    RegKey m_top{""};
};

} // namespace kv
