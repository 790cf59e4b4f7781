// The settings store of a machine folder: its registry.reg.
//
// Every accessor starts from the file as it now is on disk. Every change is written before
// apply() returns, under a lock file beside the file itself (where a link leads), merged into
// the file as it now is, so other Kavendel processes and the user's editor can share the file
// without losing a change. A change is appended as a REGEDIT4 section with one write and one
// fsync; the file is brought back to its minimal-diff form, atomically, when the appended
// sections grow large and when the store is released.
#pragma once

#include "AppendLog.h"
#include "AtomicFile.h"
#include "DiskStamp.h"
#include "RegistryDocument.h"
#include "SettingsStore.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace kv {

class RegistryFileStore final : public SettingsStore {
public:
    // Throws Failure, naming the file and the reason, when it is not REGEDIT4 text, not a
    // regular file or cannot be read.
    static std::unique_ptr<RegistryFileStore> open(const std::filesystem::path& file, FileCalls calls = {});
    // Writes the file whole in its minimal-diff form when this store appended changes to it;
    // a failure leaves the appended form, which reads the same.
    ~RegistryFileStore() override;

    // "registry.reg:LINE: reason" for each line of the last load that had no effect.
    const std::vector<Message>& malformedLines() const { return m_document.malformedLines(); }
    const std::filesystem::path& file() const { return m_file; }

    void refresh() override;
    const RegKey& tree() const override { return m_document.tree(); }
    void apply(const Change& change) override;
    // Writes the file whole in its minimal-diff form when changes were appended. Throws
    // Failure; the file then still reads the same.
    void compact();

private:
    RegistryFileStore(std::filesystem::path file, FileCalls calls);
    std::filesystem::path target() const;
    void load(const std::filesystem::path& target);
    void adopt(SourceBytes bytes, const struct stat& st);
    void syncWithDisk(const std::filesystem::path& target);
    void write(const std::filesystem::path& target, const Change& change);
    void rewrite(const std::filesystem::path& target, const Change* change);
    void foldAppended(const std::filesystem::path& target);
    void rewriteWhenLarge(const std::filesystem::path& target);
    void failIfCutShort() const;
    FileCalls callsLettingSourceGo() const;

    std::filesystem::path m_file;
    FileCalls m_calls;
    RegistryDocument m_document; // the tree, and the file's text in its minimal-diff form
    DiskStamp m_stamp;
    AppendLog m_appendLog;
    mode_t m_mode = 0644;
    bool m_sweptTemporaries = false;
};

} // namespace kv
