// The automatic snapshot of a run of the window: taken just before the run's first change,
// whether that is a store into the registry, a game file's save or a file's deletion. Each file
// joins that snapshot before its own first change. When the snapshot cannot be written, the
// change does not happen: the error goes to the caller instead. A run that ends with the
// registry and the files as they were at its snapshot removes it: it would only push out older
// ones.
#pragma once

#include "SettingsStore.h"
#include "Snapshots.h"

#include <filesystem>
#include <optional>
#include <set>

namespace kv {

class RunSafety {
public:
    explicit RunSafety(Snapshots& snapshots)
        : m_snapshots(snapshots) {}
    RunSafety(const RunSafety&) = delete;
    RunSafety& operator=(const RunSafety&) = delete;
    ~RunSafety();

    void beforeRegistryChange();
    void beforeFileChange(const std::filesystem::path& file);
    // The run's snapshot, once there has been a change.
    std::optional<std::uint64_t> snapshot() const { return m_id; }

private:
    Snapshots& m_snapshots;
    std::optional<std::uint64_t> m_id;
    std::set<std::filesystem::path> m_recorded;
};

// A store that lets the run's safety see every change before the store makes it.
class SafeguardedStore final : public SettingsStore {
public:
    SafeguardedStore(SettingsStore& inner, RunSafety& safety)
        : m_inner(inner)
        , m_safety(safety) {}

    void refresh() override { m_inner.refresh(); }
    const RegKey& tree() const override { return m_inner.tree(); }
    void apply(const Change& change) override;

private:
    SettingsStore& m_inner;
    RunSafety& m_safety;
};

} // namespace kv
