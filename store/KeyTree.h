// The registry as a tree of keys holding typed values.
//
// The tree's top level holds the hives by their full names ("HKEY_LOCAL_MACHINE", ...), so a
// path in the tree reads like a section header of a registry file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Registry value kinds, numbered as Windows numbers them.
enum : std::uint32_t {
    RegString = 1,
    RegExpandString = 2,
    RegBinary = 3,
    RegNumber = 4,
};

struct RegValue {
    std::string name; // spelling from first creation; "" is the default value
    std::uint32_t type = RegString;
    std::string data; // raw bytes; a string carries its terminating NUL
};

using KeyPath = std::vector<std::string>;

class RegKey {
public:
    explicit RegKey(std::string name)
        : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; }

    RegKey* child(std::string_view name) const;
    // The existing child of that name, or a new one spelled as given.
    RegKey& ensureChild(std::string_view name);
    bool removeChild(std::string_view name);
    // Children in enumeration order (by name, without regard to case).
    std::vector<RegKey*> children() const;
    std::size_t childCount() const { return m_children.size(); }

    const RegValue* value(std::string_view name) const;
    // Creates or replaces; a replaced value keeps its first spelling.
    void setValue(std::string_view name, std::uint32_t type, std::string data);
    bool removeValue(std::string_view name);
    std::vector<const RegValue*> values() const;

    RegKey* find(const KeyPath& path);
    const RegKey* find(const KeyPath& path) const;
    RegKey& ensure(const KeyPath& path);

    bool operator==(const RegKey& other) const;

private:
    // Sorted vectors rather than maps: a 10 MB registry has hundreds of thousands of values,
    // and a node plus a folded copy of the name for each would outweigh the file many times.
    std::string m_name;
    std::vector<std::unique_ptr<RegKey>> m_children; // by name, without regard to case
    std::vector<RegValue> m_values;                  // by name, without regard to case
};

// Joins a path with "\" for messages and registry file headers.
std::string joinPath(const KeyPath& path);

} // namespace kv
