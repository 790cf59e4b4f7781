// TSettingsAccessor: the short-lived handle through which every action reads and changes
// the settings store. Create one per action. Every store and every key removal is durable when
// its call returns.
#pragma once

#include "Failure.h"
#include "SettingsStore.h"
#include "StoreError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

class TSettingsAccessor {
public:
    explicit TSettingsAccessor(SettingsStore& store);
    TSettingsAccessor(const TSettingsAccessor&) = delete;
    TSettingsAccessor& operator=(const TSettingsAccessor&) = delete;

    void SelectRoot(RootKey root);
    // A key that cannot be created on disk gives false and leaves no key open, so that the
    // stores meant for it fail instead of landing in the key opened before.
    bool OpenPath(std::string_view path);
    bool OpenPathForReading(std::string_view path);
    bool PathExists(std::string_view path) const;
    // False, and no error, when the key is missing or its removal cannot be written.
    bool RemovePath(std::string_view path);

    bool ValuePresent(std::string_view name) const;
    std::string LoadText(std::string_view name) const;
    std::int32_t LoadNumber(std::string_view name) const;
    std::size_t LoadBytes(std::string_view name, void* buffer, std::size_t size) const;

    // Each throws a Failure whose message is storeFailed(name) when the value cannot be written;
    // loads throw loadFailed(name) or wrongType(name).
    void StoreText(std::string_view name, std::string_view text);
    void StoreNumber(std::string_view name, std::int32_t number);
    void StoreBytes(std::string_view name, const void* bytes, std::size_t count);

    // Path of the current key below the root ("" when none is open), in its stored spelling.
    std::optional<std::string> CurrentPath() const;

private:
    std::optional<KeyPath> resolve(std::string_view path) const;
    const RegKey* currentKey() const;
    void store(std::string_view name, std::uint32_t type, std::string data);
    // The store's failure, or nothing when the change was made. A change refused before it
    // began is thrown on.
    std::optional<Failure> write(const Change& change);

    SettingsStore& m_store;
    RootKey m_root = RootKey::LocalMachine;
    std::optional<KeyPath> m_current;  // tree path, hive first
    std::optional<Failure> m_closedBy; // why OpenPath left no key open
};

} // namespace kv
