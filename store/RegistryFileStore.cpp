#include "RegistryFileStore.h"

#include "FileFailure.h"
#include "LockFile.h"
#include "MappedBytes.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace kv {

RegistryFileStore::RegistryFileStore(fs::path file, FileCalls calls)
    : m_file(std::move(file))
    , m_calls(std::move(calls)) {}

std::unique_ptr<RegistryFileStore> RegistryFileStore::open(const fs::path& file, FileCalls calls) {
    std::unique_ptr<RegistryFileStore> store(new RegistryFileStore(file, std::move(calls)));
    store->load(store->target());
    return store;
}

RegistryFileStore::~RegistryFileStore() {
    try {
        if (m_appendLog.appendedHere())
            compact();
    } catch (...) {
        // The appended form stays; it reads the same, and the next writer folds it.
    }
}

// The file itself where the path is a link: the lock, the temporaries and the renamed file
// belong beside it, whichever way a program reaches it. Links among the folders above it
// change nothing there, as they lead to the same folder: only a link as the last part is
// resolved, which spares a look at every folder on the way for each store.
fs::path RegistryFileStore::target() const {
    struct stat st {};
    if (::lstat(m_file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return m_file;
    std::error_code unresolved;
    fs::path resolved = fs::canonical(m_file, unresolved);
    return unresolved ? m_file : resolved;
}

void RegistryFileStore::load(const fs::path& target) {
    // A file cut short while it was read is read again: it has changed, and is whole by now
    // unless its writer is still at work.
    for (int attempt = 0;; ++attempt) {
        RegularFile file = readRegularFile(target);
        try {
            adopt(std::move(file.bytes), file.st);
        } catch (const Failure& e) {
            throw namingFile(e, m_file.string());
        }
        if (!m_document.bytesLost() || attempt == 2)
            return;
        m_stamp.forget();
    }
}

// Takes bytes read with the stamp st as the store's file; the store is unchanged when they are
// not REGEDIT4 text. Appended sections are read as they stand, and folded only when the file
// is next written whole.
void RegistryFileStore::adopt(SourceBytes bytes, const struct stat& st) {
    DiskStamp stamp = DiskStamp::of(st, bytes);
    AppendLog::Ending ending = AppendLog::cutTorn(bytes);
    m_document = RegistryDocument::fromBytes(std::move(bytes), m_file.filename().string());
    m_appendLog.loaded(std::move(ending));
    m_stamp = std::move(stamp);
    m_mode = st.st_mode & 07777;
}

void RegistryFileStore::syncWithDisk(const fs::path& target) {
    if (m_stamp.changed(target))
        load(target);
}

void RegistryFileStore::refresh() {
    const fs::path file = target();
    if (!m_stamp.changed(file))
        return;
    // A folder where no lock file can be made is still read.
    std::optional<LockFile> lock;
    try {
        lock.emplace(file, LockFile::Mode::Shared);
    } catch (const Failure&) {
    }
    load(file);
}

void RegistryFileStore::apply(const Change& change) {
    const fs::path file = target();
    const LockFile lock(file, LockFile::Mode::Exclusive);
    syncWithDisk(file);
    const bool changes = changesTree(tree(), change);
    failIfCutShort();
    if (!changes)
        return;
    if (!m_sweptTemporaries) {
        // Killed writers are rare: one look per process is enough, and keeps stores cheap.
        removeStaleTemporaries(file);
        m_sweptTemporaries = true;
    }
    write(file, change);
    rewriteWhenLarge(file);
}

// Appends the change when the file then reads exactly as the change says; otherwise writes
// the file whole.
void RegistryFileStore::write(const fs::path& file, const Change& change) {
    m_appendLog.find(m_document.source());
    const std::optional<std::string> section = m_appendLog.sectionFor(tree(), change);
    if (!section) {
        rewrite(file, &change);
        return;
    }
    m_appendLog.append(file, *section, m_stamp, m_calls);
    m_document.apply(change);
}

// Writes the file whole, atomically, with its appended sections folded in and the change, if
// any, made. On failure the store loads the file again, so that what it holds is what the
// file holds.
void RegistryFileStore::rewrite(const fs::path& file, const Change* change) {
    m_appendLog.find(m_document.source());
    if (!m_appendLog.empty())
        foldAppended(file);
    if (change)
        m_document.apply(*change);
    try {
        // The lines nobody changed are copied from the file as it was read: a program that
        // changed it meanwhile, without the lock, would otherwise find its change lost, or
        // mixed into a file that reads as neither.
        replaceFileAtomically(file, m_document.pieces(), m_mode, callsLettingSourceGo(), [&] {
            failIfCutShort();
            if (m_stamp.changed(file))
                failChangedMeanwhile(file);
        });
    } catch (const Failure&) {
        m_stamp.forget();
        try {
            load(file);
        } catch (const Failure&) {
        }
        throw;
    }
    m_stamp.written(file);
    m_appendLog.rewritten(m_document.pieces());
}

// Reads the file on disk with its appended sections folded into the lines they change. That
// reads the same as what the store holds, and replaces it: built beside it, both would be held
// at once. Should it fail, the next look loads the file.
void RegistryFileStore::foldAppended(const fs::path& file) {
    const DiskStamp stamp = std::exchange(m_stamp, DiskStamp());
    m_document = RegistryDocument();
    m_document = AppendLog::folded(readRegularFile(file).bytes, m_file.filename().string());
    m_stamp = stamp;
}

// The store's calls, writing at most a megabyte at a time and letting go of the pages of the
// file as read once they are copied: a rewrite then holds little of a large file in memory.
FileCalls RegistryFileStore::callsLettingSourceGo() const {
    FileCalls calls = m_calls;
    calls.write = [this](int fd, const char* data, std::size_t size) -> ssize_t {
        size = std::min(size, std::size_t{1} << 20);
        const ssize_t n = m_calls.write ? m_calls.write(fd, data, size) : ::write(fd, data, size);
        const auto offset = reinterpret_cast<std::uintptr_t>(data) -
                            reinterpret_cast<std::uintptr_t>(m_document.source().view().data());
        if (n > 0 && offset < m_document.source().size()) // a line of the file as read
            m_document.source().release(offset + static_cast<std::size_t>(n));
        return n;
    };
    return calls;
}

// Another program cut the file short under what this store read: the bytes past its new end
// read as zeros, so nothing read from them can be trusted or written.
void RegistryFileStore::failIfCutShort() const {
    if (m_document.bytesLost())
        failChangedMeanwhile(m_file);
}

void RegistryFileStore::rewriteWhenLarge(const fs::path& file) {
    if (!m_appendLog.large(static_cast<std::size_t>(m_stamp.size())))
        return;
    try {
        rewrite(file, nullptr);
    } catch (const Failure&) {
        // The change is on disk already; the appended form stays until the next fold.
    }
}

void RegistryFileStore::compact() {
    m_appendLog.find(m_document.source());
    if (m_appendLog.empty())
        return;
    const fs::path file = target();
    const LockFile lock(file, LockFile::Mode::Exclusive);
    syncWithDisk(file);
    m_appendLog.find(m_document.source());
    if (!m_appendLog.empty())
        rewrite(file, nullptr);
}

} // namespace kv
