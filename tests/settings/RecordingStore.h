// An in-memory settings store that logs every stored value and every created key, and can fail
// the store of one named value as a read-only key or a full disk would.
#pragma once

#include "SettingsAccessor.h"
#include "SettingsStore.h"

#include <optional>
#include <string>
#include <vector>

namespace kv::test {

class RecordingStore final : public SettingsStore {
public:
    struct Stored {
        std::string path; // below the hive, "HKEY_LOCAL_MACHINE\..." spelled as stored
        std::string name;
        std::string text; // text without its NUL, or a number in decimal
        bool operator==(const Stored&) const = default;
    };

    RecordingStore() {
        m_top.ensureChild("HKEY_LOCAL_MACHINE");
        m_top.ensureChild("HKEY_CURRENT_USER");
    }
    const RegKey& tree() const override { return m_top; }
    void apply(const Change& change) override {
        if (change.kind == Change::Kind::SetValue) {
            if (change.value.name == failOn)
                throw Failure(Message::verbatim("no space left on the device"));
            stored.push_back({joinPath(change.path), change.value.name, shown(change.value)});
        } else if (change.kind == Change::Kind::CreateKey) {
            created.push_back(joinPath(change.path));
        }
        applyChange(m_top, change);
    }

    static std::string shown(const RegValue& value) {
        if (value.type == RegNumber) {
            std::uint32_t n = 0;
            for (int i = 3; i >= 0; --i)
                n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
            return std::to_string(static_cast<std::int32_t>(n));
        }
        return value.data.substr(0, value.data.find('\0'));
    }

    void putText(RootKey root, const std::string& path, const std::string& name, const std::string& text) {
        TSettingsAccessor reg(*this);
        reg.SelectRoot(root);
        reg.OpenPath(path);
        reg.StoreText(name, text);
        clearLog();
    }
    void putNumber(RootKey root, const std::string& path, const std::string& name, std::int32_t number) {
        TSettingsAccessor reg(*this);
        reg.SelectRoot(root);
        reg.OpenPath(path);
        reg.StoreNumber(name, number);
        clearLog();
    }
    // The value as text (numbers in decimal), or nothing when it is missing.
    std::optional<std::string> get(RootKey root, const std::string& path, const std::string& name) const {
        const RegValue* value = find(root, path, name);
        return value ? std::optional(shown(*value)) : std::nullopt;
    }
    std::optional<std::uint32_t> kind(RootKey root, const std::string& path, const std::string& name) const {
        const RegValue* value = find(root, path, name);
        return value ? std::optional(value->type) : std::nullopt;
    }
    void clearLog() {
        stored.clear();
        created.clear();
    }

    std::vector<Stored> stored;
    std::vector<std::string> created;
    std::string failOn;

private:
    // path starts with "\" and has no empty parts.
    const RegValue* find(RootKey root, const std::string& path, const std::string& name) const {
        KeyPath full = rootPath(root);
        std::string part;
        for (char c : path.substr(1) + "\\") {
            if (c == '\\') {
                full.push_back(part);
                part.clear();
            } else {
                part.push_back(c);
            }
        }
        const RegKey* key = m_top.find(full);
        return key ? key->value(name) : nullptr;
    }

    RegKey m_top{""};
};

} // namespace kv::test
