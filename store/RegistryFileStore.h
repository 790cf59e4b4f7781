// The settings store of a machine folder: its registry.reg.
//
// Every accessor starts from the file as it now is on disk; every flush merges this store's
// changes into the file as it now is, under a lock file, and replaces it atomically, so other
// Kavendel processes and the user's editor can share the file without losing a change.
#pragma once

#include "AtomicFile.h"
#include "RegistryDocument.h"
#include "SettingsStore.h"

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class RegistryFileStore final : public SettingsStore {
public:
    // Throws RegistryFileError, naming the file and the reason, when it is not REGEDIT4 text.
    static std::unique_ptr<RegistryFileStore> open(const std::filesystem::path& file,
                                                   WriteFunction write = {});

    // "registry.reg:LINE: reason" for each line of the last load that had no effect.
    const std::vector<Message>& malformedLines() const { return m_document.malformedLines(); }
    const std::filesystem::path& file() const { return m_file; }

    void refresh() override;
    const RegKey& tree() const override { return m_document.tree(); }
    void apply(const Change& change) override;
    void flush(std::string_view failedValueName) override;

private:
    // What tells a changed file from the one loaded, without reading it.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const Stamp&) const = default;
    };

    RegistryFileStore(std::filesystem::path file, WriteFunction write);
    std::optional<Stamp> stampOnDisk() const;
    void load();

    std::filesystem::path m_file;
    WriteFunction m_write;
    RegistryDocument m_document;
    Stamp m_stamp;
    mode_t m_mode = 0644;
    std::vector<Change> m_pending; // applied since the last successful flush
    bool m_clearedStaleTemporaries = false;
};

} // namespace kv
