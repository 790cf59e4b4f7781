#include "SettingsAccessor.h"

#include "Cp932.h"

#include <cstring>

namespace kv {

TSettingsAccessor::TSettingsAccessor(SettingsStore& store)
    : m_store(store) {
    m_store.refresh();
}

std::optional<Failure> TSettingsAccessor::write(const Change& change) {
    try {
        m_store.apply(change);
        return std::nullopt;
    } catch (const Failure& e) {
        if (e.is(Fault::refused))
            throw; // nothing was tried: the user reads why, whatever the call
        return e;
    }
}

void TSettingsAccessor::SelectRoot(RootKey root) {
    if (root != m_root)
        m_current.reset();
    m_root = root;
}

std::optional<KeyPath> TSettingsAccessor::resolve(std::string_view path) const {
    KeyPath full;
    if (!path.empty() && path.front() == '\\') {
        full = m_store.rootPath(m_root);
        path.remove_prefix(1);
    } else if (m_current) {
        // A removed key has no sub-keys to open: going on below it would bring it back.
        if (!m_store.tree().find(*m_current))
            return std::nullopt;
        full = *m_current;
    } else {
        full = m_store.rootPath(m_root);
    }
    if (path.empty())
        return full;
    for (auto& part : cp932::split(path)) {
        if (part.empty())
            return std::nullopt; // "a\\b" or a trailing "\" names no key
        full.push_back(std::move(part));
    }
    return full;
}

bool TSettingsAccessor::OpenPath(std::string_view path) {
    auto full = resolve(path);
    if (!full)
        return false;
    if (!m_store.tree().find(*full)) {
        m_closedBy = write({Change::Kind::CreateKey, *full, {}});
        if (m_closedBy) {
            m_current.reset();
            return false;
        }
    }
    m_current = std::move(full);
    m_closedBy.reset();
    return true;
}

bool TSettingsAccessor::OpenPathForReading(std::string_view path) {
    auto full = resolve(path);
    if (!full || !m_store.tree().find(*full))
        return false;
    m_current = std::move(full);
    m_closedBy.reset();
    return true;
}

bool TSettingsAccessor::PathExists(std::string_view path) const {
    const auto full = resolve(path);
    return full && m_store.tree().find(*full);
}

bool TSettingsAccessor::RemovePath(std::string_view path) {
    const auto full = resolve(path);
    if (!full || full->size() <= m_store.rootPath(m_root).size())
        return false; // a root itself is never removed
    if (!m_store.tree().find(*full))
        return false;
    // One change takes the key with every sub-key, so a failure leaves the whole tree in place.
    return !write({Change::Kind::RemoveKey, *full, {}}) && !m_store.tree().find(*full);
}

const RegKey* TSettingsAccessor::currentKey() const {
    return m_current ? m_store.tree().find(*m_current) : nullptr;
}

bool TSettingsAccessor::ValuePresent(std::string_view name) const {
    const RegKey* key = currentKey();
    return key && key->value(name);
}

std::string TSettingsAccessor::LoadText(std::string_view name) const {
    const RegKey* key = currentKey();
    const RegValue* value = key ? key->value(name) : nullptr;
    if (!value)
        return {};
    if (value->type != RegString && value->type != RegExpandString)
        throw Failure(wrongType(name));
    return value->data.substr(0, value->data.find('\0'));
}

std::int32_t TSettingsAccessor::LoadNumber(std::string_view name) const {
    const RegKey* key = currentKey();
    const RegValue* value = key ? key->value(name) : nullptr;
    if (!value)
        throw Failure(loadFailed(name));
    if (value->type != RegNumber || value->data.size() != 4)
        throw Failure(wrongType(name));
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | static_cast<unsigned char>(value->data[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(number);
}

std::size_t TSettingsAccessor::LoadBytes(std::string_view name, void* buffer, std::size_t size) const {
    const RegKey* key = currentKey();
    const RegValue* value = key ? key->value(name) : nullptr;
    if (!value)
        return 0;
    const bool textOrNumber =
        value->type == RegString || value->type == RegExpandString || value->type == RegNumber;
    if (textOrNumber || value->data.size() > size)
        throw Failure(wrongType(name));
    std::memcpy(buffer, value->data.data(), value->data.size());
    return value->data.size();
}

// A store that fails names the value; below that, the user reads why: the store's own failure,
// or the one that left no key open.
void TSettingsAccessor::store(std::string_view name, std::uint32_t type, std::string data) {
    if (!currentKey()) {
        if (m_closedBy)
            throw m_closedBy->within(storeFailed(name));
        throw Failure(storeFailed(name));
    }
    if (const auto failure =
            write({Change::Kind::SetValue, *m_current, RegValue{std::string(name), type, std::move(data)}}))
        throw failure->within(storeFailed(name));
}

void TSettingsAccessor::StoreText(std::string_view name, std::string_view text) {
    std::string data(text.substr(0, text.find('\0')));
    data.push_back('\0');
    store(name, RegString, std::move(data));
}

void TSettingsAccessor::StoreNumber(std::string_view name, std::int32_t number) {
    const auto u = static_cast<std::uint32_t>(number);
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        data[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    store(name, RegNumber, std::move(data));
}

void TSettingsAccessor::StoreBytes(std::string_view name, const void* bytes, std::size_t count) {
    store(name, RegBinary, std::string(static_cast<const char*>(bytes), count));
}

std::optional<std::string> TSettingsAccessor::CurrentPath() const {
    if (!m_current)
        return std::nullopt;
    const KeyPath rootPath = m_store.rootPath(m_root);
    KeyPath below;
    const RegKey* key = &m_store.tree();
    for (std::size_t i = 0; i < m_current->size(); ++i) {
        // Keys removed since keep the spelling they were opened with.
        key = key ? key->child((*m_current)[i]) : nullptr;
        if (i >= rootPath.size())
            below.push_back(key ? key->name() : (*m_current)[i]);
    }
    return joinPath(below);
}

} // namespace kv
