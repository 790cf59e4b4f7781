#include "KeyTree.h"

#include "Cp932.h"

namespace kv {

RegKey* RegKey::child(std::string_view name) const {
    const auto it = m_children.find(cp932::fold(name));
    return it == m_children.end() ? nullptr : it->second.get();
}

RegKey& RegKey::ensureChild(std::string_view name) {
    auto& slot = m_children[cp932::fold(name)];
    if (!slot)
        slot = std::make_unique<RegKey>(std::string(name));
    return *slot;
}

bool RegKey::removeChild(std::string_view name) {
    return m_children.erase(cp932::fold(name)) > 0;
}

std::vector<RegKey*> RegKey::children() const {
    std::vector<RegKey*> out;
    out.reserve(m_children.size());
    for (const auto& [folded, key] : m_children)
        out.push_back(key.get());
    return out;
}

const RegValue* RegKey::value(std::string_view name) const {
    const auto it = m_values.find(cp932::fold(name));
    return it == m_values.end() ? nullptr : &it->second;
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::string data) {
    auto [it, inserted] = m_values.try_emplace(cp932::fold(name));
    if (inserted)
        it->second.name = std::string(name);
    it->second.type = type;
    it->second.data = std::move(data);
}

bool RegKey::removeValue(std::string_view name) {
    return m_values.erase(cp932::fold(name)) > 0;
}

std::vector<const RegValue*> RegKey::values() const {
    std::vector<const RegValue*> out;
    out.reserve(m_values.size());
    for (const auto& [folded, value] : m_values)
        out.push_back(&value);
    return out;
}

RegKey* RegKey::find(const KeyPath& path) {
    RegKey* key = this;
    for (const auto& part : path)
        if (!(key = key->child(part)))
            return nullptr;
    return key;
}

const RegKey* RegKey::find(const KeyPath& path) const {
    return const_cast<RegKey*>(this)->find(path);
}

RegKey& RegKey::ensure(const KeyPath& path) {
    RegKey* key = this;
    for (const auto& part : path)
        key = &key->ensureChild(part);
    return *key;
}

bool RegKey::operator==(const RegKey& other) const {
    if (m_values.size() != other.m_values.size() || m_children.size() != other.m_children.size())
        return false;
    for (const auto& [folded, value] : m_values) {
        const auto it = other.m_values.find(folded);
        if (it == other.m_values.end() || it->second.type != value.type || it->second.data != value.data)
            return false;
    }
    for (const auto& [folded, key] : m_children) {
        const auto it = other.m_children.find(folded);
        if (it == other.m_children.end() || !(*it->second == *key))
            return false;
    }
    return true;
}

std::string joinPath(const KeyPath& path) {
    std::string out;
    for (const auto& part : path) {
        if (!out.empty())
            out += '\\';
        out += part;
    }
    return out;
}

} // namespace kv
