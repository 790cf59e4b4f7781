// TSettingsAccessor: the short-lived handle through which every action reads and changes
// the settings store. Create one per action; freeing it makes its changes durable.
#pragma once

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
    // Flushes. A failed flush throws StoreError, unless the accessor is freed while another
    // error is already on its way out, which then wins.
    ~TSettingsAccessor() noexcept(false);
    TSettingsAccessor(const TSettingsAccessor&) = delete;
    TSettingsAccessor& operator=(const TSettingsAccessor&) = delete;

    void SelectRoot(RootKey root);
    bool OpenPath(std::string_view path);
    bool OpenPathForReading(std::string_view path);
    bool PathExists(std::string_view path) const;
    bool RemovePath(std::string_view path);

    bool ValuePresent(std::string_view name) const;
    std::string LoadText(std::string_view name) const;
    std::int32_t LoadNumber(std::string_view name) const;
    std::size_t LoadBytes(std::string_view name, void* buffer, std::size_t size) const;

    void StoreText(std::string_view name, std::string_view text);
    void StoreNumber(std::string_view name, std::int32_t number);
    void StoreBytes(std::string_view name, const void* bytes, std::size_t count);

    // Path of the current key below the root ("" when none is open), in its stored spelling.
    std::optional<std::string> CurrentPath() const;
    // Makes the changes so far durable now.
    void Flush();

private:
    std::optional<KeyPath> resolve(std::string_view path) const;
    const RegKey* currentKey() const;
    void store(std::string_view name, std::uint32_t type, std::string data);

    SettingsStore& m_store;
    RootKey m_root = RootKey::LocalMachine;
    std::optional<KeyPath> m_current; // tree path, hive first
    std::string m_firstUnflushed;     // value name blamed when the flush fails
    bool m_dirty = false;
    int m_uncaughtAtCreation;
};

} // namespace kv
