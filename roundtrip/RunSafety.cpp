#include "RunSafety.h"

#include <stdexcept>

namespace kv {

namespace {

[[noreturn]] void refuse(const SnapshotError& e) {
    throw std::runtime_error(std::string("変更の前のスナップショットを保存できないため、変更しません: ") +
                             e.what());
}

} // namespace

void RunSafety::beforeRegistryChange() {
    if (m_id)
        return;
    try {
        m_id = m_snapshots.take({});
    } catch (const SnapshotError& e) {
        refuse(e);
    }
}

void RunSafety::beforeFileChange(const std::filesystem::path& file) {
    if (m_recorded.contains(file))
        return;
    try {
        if (m_id)
            m_snapshots.addFile(*m_id, file);
        else
            m_id = m_snapshots.take({file});
    } catch (const SnapshotError& e) {
        refuse(e);
    }
    m_recorded.insert(file);
}

void SafeguardedStore::apply(const Change& change) {
    if (changesTree(m_inner.tree(), change))
        m_safety.beforeRegistryChange();
    m_inner.apply(change);
}

} // namespace kv
