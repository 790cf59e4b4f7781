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

class RegKey;

// Where a key's values are read from when they are first looked at: a registry file's lines.
// Loading a file makes its keys only; most values are never asked for.
class ValueSource {
public:
    static constexpr std::uint32_t None = UINT32_MAX;
    // Sets and deletes the key's values as the source's sections from first on say.
    virtual void readValues(std::uint32_t first, RegKey& key) const = 0;

protected:
    ~ValueSource() = default;
};

class RegKey final {
public:
    explicit RegKey(std::string name)
        : m_name(std::move(name)) {}

    // Keys come by the hundred thousand: they are carved from large blocks, without a heap
    // block's header each and without its cost.
    static void* operator new(std::size_t size);
    static void operator delete(void* key) noexcept;
    // Room for about count keys that are about to be made, taken at once.
    static void expectKeys(std::size_t count);

    const std::string& name() const { return m_name; }

    RegKey* child(std::string_view name) const;
    // The existing child of that name, or a new one spelled as given.
    RegKey& ensureChild(std::string_view name);
    // A new last child when name sorts after every child's, as it mostly does while a file
    // lists its keys; nullptr otherwise.
    RegKey* appendChild(std::string_view name);
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

    // Values to read from source's section when first looked at, after those deferred before.
    // Returns the section deferred last before it (ValueSource::None when none was), which the
    // source links to this one.
    std::uint32_t deferValues(const ValueSource& source, std::uint32_t section);

private:
    // Reads the deferred values, once. Looking at values is const, so this changes a const key:
    // every key is made by its tree, never as a const object.
    void readDeferred() const;

    // Sorted vectors rather than maps: a 10 MB registry has hundreds of thousands of values,
    // and a node plus a folded copy of the name for each would outweigh the file many times.
    std::string m_name;
    std::vector<std::unique_ptr<RegKey>> m_children; // by name, without regard to case
    std::vector<RegValue> m_values;                  // by name, without regard to case
    mutable const ValueSource* m_source = nullptr;   // values not yet read
    std::uint32_t m_firstDeferred = ValueSource::None, m_lastDeferred = ValueSource::None;
};

// Joins a path with "\" for messages and registry file headers.
std::string joinPath(const KeyPath& path);
// path with each key that exists under top spelled as the tree spells it; the rest as given.
KeyPath spelledPath(const RegKey& top, const KeyPath& path);

} // namespace kv
