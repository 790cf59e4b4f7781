#include "RunSafety.h"

#include "Failure.h"

namespace kv {

namespace {

[[noreturn]] void refuse(const Failure& e) {
    throw e
        .within(Message{
            "",
            "RunSafety",
            QT_TRANSLATE_NOOP("RunSafety", "変更の前のスナップショットを保存できないため、変更しません"),
            {}})
        .as(Fault::refused);
}

} // namespace

RunSafety::~RunSafety() {
    try {
        if (m_id && m_snapshots.holdsThePresent(*m_id))
            m_snapshots.remove(*m_id);
    } catch (const std::exception&) {
        // Kept: a snapshot too many is no harm.
    }
}

void RunSafety::beforeRegistryChange() {
    if (m_id)
        return;
    try {
        m_id = m_snapshots.take({}, SnapshotKind::Automatic);
    } catch (const Failure& e) {
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
            m_id = m_snapshots.take({file}, SnapshotKind::Automatic);
    } catch (const Failure& e) {
        refuse(e);
    }
    m_recorded.insert(file);
}

// The inner store reads the file again before it changes it: whether the change changes
// anything is decided on the file as it is now, which another program may have changed. A key
// created empty, as every start creates the driver's keys, is no change worth a snapshot.
void SafeguardedStore::apply(const Change& change) {
    m_inner.refresh();
    if (change.kind != Change::Kind::CreateKey && changesTree(m_inner.tree(), change))
        m_safety.beforeRegistryChange();
    m_inner.apply(change);
}

} // namespace kv
