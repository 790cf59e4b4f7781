#include "KeyTree.h"

#include "Cp932.h"

#include <algorithm>
#include <memory>
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
    auto first = v.begin();
    for (auto count = v.size(); count > 0;) {
        const auto half = count / 2;
        const int order = cp932::compareIgnoringCase(nameOf(first[half]), name);
        if (order == 0)
            return {first + half, true};
        if (order < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return {first, false};
}

// Free storage for keys: whole blocks of them, and the slots of keys deleted since. Blocks
// are kept for the next keys rather than given back, as a reloaded file makes as many again.
// While no key lives, a large load has the blocks handed out again in order from the first,
// not the free slots in the order a tree's teardown left them: keys made one after another
// then lie one after another, and making each does not wait on memory that is anywhere.
class KeyPool {
public:
    void* take() {
        void* slot = nullptr;
        if (m_free) {
            --m_freeSlots;
            slot = std::exchange(m_free, m_free->next);
        } else {
            if (m_used == m_blockSize)
                nextBlock();
            slot = &m_slots[m_used++];
        }
        ++m_live;
        return slot;
    }
    // A file loaded again finds the slots of the keys it loaded before free.
    void expect(std::size_t keys) {
        if (keys <= SlotsPerBlock)
            return;
        if (m_live == 0)
            startOver();
        if (keys > unusedSlots() + m_freeSlots)
            addBlock(keys);
    }
    void give(void* key) noexcept {
        auto* slot = static_cast<Slot*>(key);
        slot->next = std::exchange(m_free, slot);
        ++m_freeSlots;
        --m_live;
    }

private:
    union Slot {
        Slot* next;
        alignas(RegKey) unsigned char key[sizeof(RegKey)];
    };
    struct Block {
        std::unique_ptr<Slot[]> slots;
        std::size_t size;
    };
    void nextBlock() {
        if (m_current + 1 < m_blocks.size())
            handOutFrom(m_current + 1);
        else
            addBlock(SlotsPerBlock);
    }
    void addBlock(std::size_t slots) {
        auto block = std::make_unique_for_overwrite<Slot[]>(slots);
        m_blocks.push_back({std::move(block), slots});
        handOutFrom(m_blocks.size() - 1);
    }
    void handOutFrom(std::size_t block) {
        m_current = block;
        m_slots = m_blocks[block].slots.get();
        m_blockSize = m_blocks[block].size;
        m_used = 0;
    }
    // Slots not handed out since the blocks were last started over.
    std::size_t unusedSlots() const {
        std::size_t unused = m_blockSize - m_used;
        for (std::size_t i = m_current + 1; i < m_blocks.size(); ++i)
            unused += m_blocks[i].size;
        return unused;
    }
    // Every slot is free again, to be handed out in order.
    void startOver() {
        m_free = nullptr;
        m_freeSlots = 0;
        if (!m_blocks.empty())
            handOutFrom(0);
    }

    static constexpr std::size_t SlotsPerBlock = 1024;
    std::vector<Block> m_blocks;
    // The block handed out from, and how many of its slots are taken.
    std::size_t m_current = 0;
    Slot* m_slots = nullptr;
    std::size_t m_blockSize = 0, m_used = 0;
    Slot* m_free = nullptr;
    std::size_t m_freeSlots = 0, m_live = 0;
};

// Never destroyed, so that a key freed at exit still has a pool to go back to.
KeyPool& keyPool() {
    static KeyPool& pool = *new KeyPool;
    return pool;
}

// Under AddressSanitizer every key is a heap block of its own, so that a use after free shows.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_ADDRESS_SANITIZER
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KV_ADDRESS_SANITIZER)
constexpr bool PooledKeys = false;
#else
constexpr bool PooledKeys = true;
#endif

} // namespace

void* RegKey::operator new(std::size_t size) {
    return PooledKeys ? keyPool().take() : ::operator new(size);
}

void RegKey::expectKeys(std::size_t count) {
    if (PooledKeys)
        keyPool().expect(count);
}

void RegKey::operator delete(void* key) noexcept {
    if (PooledKeys)
        keyPool().give(key);
    else
        ::operator delete(key);
}

RegKey* RegKey::child(std::string_view name) const {
    const auto [it, found] = locate(m_children, name);
    return found ? it->get() : nullptr;
}

RegKey* RegKey::appendChild(std::string_view name) {
    if (!m_children.empty() && cp932::compareIgnoringCase(m_children.back()->name(), name) >= 0)
        return nullptr;
    // A key with children mostly has several: room for a few at once spares the copies and
    // heap blocks of growing from one.
    if (m_children.capacity() == 0)
        m_children.reserve(4);
    return m_children.emplace_back(std::make_unique<RegKey>(std::string(name))).get();
}

RegKey& RegKey::ensureChild(std::string_view name) {
    if (RegKey* appended = appendChild(name))
        return *appended;
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

KeyPath spelledPath(const RegKey& top, const KeyPath& path) {
    KeyPath out;
    const RegKey* key = &top;
    for (const auto& part : path) {
        key = key ? key->child(part) : nullptr;
        out.push_back(key ? key->name() : part);
    }
    return out;
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
