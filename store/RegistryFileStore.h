// The settings store of a machine folder: its registry.reg.
//
// Every accessor starts from the file as it now is on disk. Every change is written before
// apply() returns, under a lock file beside the file itself (where a link leads), merged into
// the file as it now is, so other Kavendel processes and the user's editor can share the file
// without losing a change. A change is appended as a REGEDIT4 section with one write and one
// fsync; the file is brought back to its minimal-diff form, atomically, when the appended
// sections grow large and when the store is released.
#pragma once

#include "AtomicFile.h"
#include "RegistryDocument.h"
#include "SettingsStore.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class RegistryFileStore final : public SettingsStore {
public:
    // Throws RegistryFileError, naming the file and the reason, when it is not REGEDIT4 text
    // or not a regular file.
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
    // std::system_error or RegistryFileError; the file then still reads the same.
    void compact();

private:
    // What tells a changed file from the one loaded, without reading it.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stampOf(const struct stat& st);
    RegistryFileStore(std::filesystem::path file, FileCalls calls);
    std::filesystem::path target() const;
    bool changedOnDisk(const std::filesystem::path& target);
    void load(const std::filesystem::path& target);
    void adopt(SourceBytes bytes, const struct stat& st);
    void findAppended();
    void syncWithDisk(const std::filesystem::path& target);
    void write(const std::filesystem::path& target, const Change& change);
    void append(const std::filesystem::path& target, std::string_view section);
    void takeBackAppend(int fd);
    RegistryDocument folded(const std::filesystem::path& target) const;
    void rewrite(const std::filesystem::path& target, const Change* change);
    void rewriteWhenLarge(const std::filesystem::path& target);
    void failIfCutShort() const;
    FileCalls callsLettingSourceGo() const;
    void recordWritten(const struct stat& st);

    std::filesystem::path m_file;
    FileCalls m_calls;
    RegistryDocument m_document; // the tree, and the file's text in its minimal-diff form
    Stamp m_stamp;
    // Set when the file was changed within the clock tick it was read in: a same-size change
    // in that tick keeps the stamp, so the content's hash has to tell.
    std::optional<std::size_t> m_racyHash;
    mode_t m_mode = 0644;
    std::string m_tail;         // the file's last section on disk, from which appends are judged
    // Bytes on disk after the minimal-diff text, marker included, and their sections; known
    // once a write has needed them.
    std::size_t m_appended = 0;
    std::size_t m_appendedSections = 0;
    bool m_appendedKnown = false;
    std::size_t m_torn = 0;     // bytes at the end on disk that a killed writer's append left
    bool m_foldWhenReleased = false; // this store appended
    bool m_sweptTemporaries = false;
};

} // namespace kv
