#include "KeyTree.h"

#include "Cp932.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

const std::string& nameOf(const std::unique_ptr<RegKey>& key) {
    return key->name();
}

const std::string& nameOf(const RegValue& value) {
    return value.name;
}

// The first element whose name is not below name, and whether it has that name.
template <typename Vector>
std::pair<typename Vector::const_iterator, bool> locate(const Vector& v, std::string_view name) {
    const auto it = std::lower_bound(v.begin(), v.end(), name, [](const auto& element, std::string_view n) {
        return cp932::compareIgnoringCase(nameOf(element), n) < 0;
    });
    return {it, it != v.end() && cp932::compareIgnoringCase(nameOf(*it), name) == 0};
}

} // namespace

RegKey* RegKey::child(std::string_view name) const {
    const auto [it, found] = locate(m_children, name);
    return found ? it->get() : nullptr;
}

RegKey& RegKey::ensureChild(std::string_view name) {
    // Files list a key's children mostly in order: try the end first.
    if (m_children.empty() || cp932::compareIgnoringCase(m_children.back()->name(), name) < 0)
        return *m_children.emplace_back(std::make_unique<RegKey>(std::string(name)));
    const auto [it, found] = locate(m_children, name);
    if (found)
        return **it;
    return **m_children.insert(it, std::make_unique<RegKey>(std::string(name)));
}

bool RegKey::removeChild(std::string_view name) {
    const auto [it, found] = locate(m_children, name);
    if (found)
        m_children.erase(it);
    return found;
}

std::vector<RegKey*> RegKey::children() const {
    std::vector<RegKey*> out;
    out.reserve(m_children.size());
    for (const auto& key : m_children)
        out.push_back(key.get());
    return out;
}

std::uint32_t RegKey::deferValues(const ValueSource& source, std::uint32_t section) {
    m_source = &source;
    if (m_firstDeferred == ValueSource::None)
        m_firstDeferred = section;
    return std::exchange(m_lastDeferred, section);
}

void RegKey::readDeferred() const {
    if (!m_source)
        return;
    const ValueSource* source = std::exchange(m_source, nullptr);
    source->readValues(m_firstDeferred, const_cast<RegKey&>(*this));
}

const RegValue* RegKey::value(std::string_view name) const {
    readDeferred();
    const auto [it, found] = locate(m_values, name);
    return found ? &*it : nullptr;
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::string data) {
    readDeferred();
    // Most keys hold a handful of values: room for one more at a time up to a few wastes no
    // slots (a value is 72 bytes) and reallocates no more often than doubling would.
    if (m_values.size() == m_values.capacity() && m_values.size() < 4)
        m_values.reserve(m_values.size() + 1);
    if (m_values.empty() || cp932::compareIgnoringCase(m_values.back().name, name) < 0) {
        m_values.push_back(RegValue{std::string(name), type, std::move(data)});
        return;
    }
    const auto [at, found] = locate(m_values, name);
    const auto it = m_values.begin() + (at - m_values.cbegin());
    if (!found) {
        m_values.insert(it, RegValue{std::string(name), type, std::move(data)});
        return;
    }
    it->type = type;
    it->data = std::move(data);
}

bool RegKey::removeValue(std::string_view name) {
    readDeferred();
    const auto [it, found] = locate(m_values, name);
    if (found)
        m_values.erase(it);
    return found;
}

std::vector<const RegValue*> RegKey::values() const {
    readDeferred();
    std::vector<const RegValue*> out;
    out.reserve(m_values.size());
    for (const auto& value : m_values)
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
    // Both sides are sorted the same way, so equal trees line up element by element.
    readDeferred();
    other.readDeferred();
    if (m_values.size() != other.m_values.size() || m_children.size() != other.m_children.size())
        return false;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        const RegValue& a = m_values[i];
        const RegValue& b = other.m_values[i];
        if (cp932::compareIgnoringCase(a.name, b.name) != 0 || a.type != b.type || a.data != b.data)
            return false;
    }
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (cp932::compareIgnoringCase(m_children[i]->name(), other.m_children[i]->name()) != 0 ||
            !(*m_children[i] == *other.m_children[i]))
            return false;
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
