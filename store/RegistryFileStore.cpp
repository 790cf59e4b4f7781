#include "RegistryFileStore.h"

#include "AtomicFile.h"
#include "RegistryFileStoreAppend.h"
#include "StoreError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace kv {

namespace {

// Appended sections are folded back once they pass 64 KB or an eighth of the file, or 64
// sections or one per 4 KB of the file: each reader replays them as it loads, and a fold
// costs a write of the whole file.
constexpr std::size_t MinimumFoldBytes = 64u << 10;
constexpr std::size_t MinimumFoldSections = 64;
constexpr std::size_t FileBytesPerSection = 4u << 10;

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Held while a writer merges its change into the file (LOCK_EX) or a reader loads it
// (LOCK_SH); released when the descriptor closes.
class LockFile {
public:
    LockFile(const fs::path& file, int operation)
        : m_fd(::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_fd.get() < 0)
            throwErrno("cannot open the lock file of " + file.string());
        while (::flock(m_fd.get(), operation) != 0)
            if (errno != EINTR)
                throwErrno("cannot lock " + file.string());
    }

private:
    FileDescriptor m_fd;
};

// Whether any later change of the file must give it a later modification time than st holds.
// A change within the clock tick the time was taken in keeps the same time; so does one within
// the same second or two on a file system that keeps coarse times, shown by a time that is a
// whole second.
bool timeTellsChanges(const struct stat& st) {
    timespec now{}, tick{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    ::clock_getres(CLOCK_REALTIME_COARSE, &tick);
    const auto nanoseconds = [](const timespec& t) { return t.tv_sec * 1'000'000'000LL + t.tv_nsec; };
    const long long granularity = st.st_mtim.tv_nsec == 0 ? 2'000'000'000LL : nanoseconds(tick);
    return nanoseconds(st.st_mtim) + granularity <= nanoseconds(now);
}

std::size_t hashOf(const SourceBytes& bytes) {
    std::size_t hash = 0;
    bytes.walk([&](std::string_view chunk, std::size_t) {
        hash = hash * 1099511628211ull ^ std::hash<std::string_view>{}(chunk);
        return false;
    });
    return hash;
}

struct OpenedFile {
    SourceBytes bytes;
    struct stat st {};
};

// The whole file, refusing anything but a regular file before opening it: opening a FIFO
// would wait for a writer for good.
OpenedFile readRegularFile(const fs::path& file) {
    const auto unreadable = [&](int error) {
        return RegistryFileError(file.string(), QT_TRANSLATE_NOOP("RegistryFile", "読み込めません: %1"),
                                 {std::strerror(error)});
    };
    const auto notRegular = [&] {
        return RegistryFileError(file.string(),
                                 QT_TRANSLATE_NOOP("RegistryFile", "通常のファイルではありません"));
    };
    OpenedFile out;
    if (::stat(file.c_str(), &out.st) != 0)
        throw unreadable(errno);
    if (!S_ISREG(out.st.st_mode))
        throw notRegular();
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &out.st) != 0)
        throw unreadable(errno);
    if (!S_ISREG(out.st.st_mode))
        throw notRegular(); // replaced since the look before opening
    try {
        out.bytes = SourceBytes::of(fd.get(), static_cast<std::size_t>(out.st.st_size));
    } catch (const std::system_error& e) {
        throw unreadable(e.code().value());
    }
    return out;
}

// The last section of a text given in pieces, copying only what it spans: a piece may be a
// whole file's unchanged run.
std::string lastSectionOf(const std::vector<std::string_view>& pieces) {
    std::string tail;
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        const std::size_t inPiece = appended::lastSectionStart(*it);
        // After a line break within the piece, a "[" line surely starts the section.
        if (inPiece > 0 && inPiece < it->size() && (*it)[inPiece] == '[') {
            tail.insert(0, it->substr(inPiece));
            const std::size_t start = appended::lastSectionStart(tail);
            return start > 0 ? tail.substr(start) : tail;
        }
        tail.insert(0, *it);
        const std::size_t start = appended::lastSectionStart(tail);
        // At 0 the section may begin with blanks in the piece before.
        if (start > 0 && tail[start] == '[' && start < tail.size())
            return tail.substr(start);
    }
    return tail.substr(appended::lastSectionStart(tail));
}

} // namespace

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
        if (m_foldWhenReleased)
            compact();
    } catch (...) {
        // The appended form stays; it reads the same, and the next writer folds it.
    }
}

RegistryFileStore::Stamp RegistryFileStore::stampOf(const struct stat& st) {
    return Stamp{st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
                 st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
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

bool RegistryFileStore::changedOnDisk(const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || stampOf(st) != m_stamp)
        return true;
    if (!m_racyHash)
        return false;
    const OpenedFile file = readRegularFile(target);
    if (stampOf(file.st) != m_stamp || hashOf(file.bytes) != *m_racyHash)
        return true;
    if (timeTellsChanges(file.st))
        m_racyHash.reset();
    return false;
}

void RegistryFileStore::load(const fs::path& target) {
    // A file cut short while it was read is read again: it has changed, and is whole by now
    // unless its writer is still at work.
    for (int attempt = 0;; ++attempt) {
        OpenedFile file = readRegularFile(target);
        try {
            adopt(std::move(file.bytes), file.st);
        } catch (const RegistryFileError& e) {
            throw e.naming(m_file.string());
        }
        if (!m_document.bytesLost() || attempt == 2)
            return;
        m_stamp = Stamp{};
    }
}

// Takes bytes read with the stamp st as the store's file; the store is unchanged when they are
// not REGEDIT4 text. Appended sections are read as they stand, and folded only when the file
// is next written whole.
void RegistryFileStore::adopt(SourceBytes bytes, const struct stat& st) {
    std::optional<std::size_t> racyHash;
    if (!timeTellsChanges(st))
        racyHash = hashOf(bytes);
    // What a killed writer's append left is no change: it is read as if not there, and the
    // next write cuts it off.
    const std::size_t torn = appended::tornLength(bytes.view());
    bytes.shorten(bytes.size() - torn);
    std::string tail(bytes.view().substr(appended::lastSectionStart(bytes.view())));
    m_document = RegistryDocument::fromBytes(std::move(bytes), m_file.filename().string());
    m_tail = std::move(tail);
    m_appendedKnown = false;
    m_stamp = stampOf(st);
    m_torn = torn;
    m_racyHash = racyHash;
    m_mode = st.st_mode & 07777;
}

// Finds the sections appended to the file as loaded, the first time a write needs to know:
// it takes a walk through the whole file, which a store that only reads never needs.
void RegistryFileStore::findAppended() {
    if (m_appendedKnown)
        return;
    const SourceBytes& bytes = m_document.source();
    const auto region = appended::findRegion(bytes.view(), bytes.find(appended::Marker));
    m_appended = region ? bytes.size() - region->start : 0;
    m_appendedSections = region ? region->changes.size() : 0;
    m_appendedKnown = true;
}

// The file on disk with its appended sections folded into the lines they change.
RegistryDocument RegistryFileStore::folded(const fs::path& target) const {
    OpenedFile file = readRegularFile(target);
    file.bytes.shorten(file.bytes.size() - appended::tornLength(file.bytes.view()));
    const auto region = appended::findRegion(file.bytes.view(), file.bytes.find(appended::Marker));
    if (region)
        file.bytes.shorten(region->start);
    RegistryDocument document =
        RegistryDocument::fromBytes(std::move(file.bytes), m_file.filename().string());
    if (region)
        for (const auto& change : region->changes)
            document.apply(change);
    return document;
}

void RegistryFileStore::syncWithDisk(const fs::path& target) {
    if (changedOnDisk(target))
        load(target);
}

void RegistryFileStore::refresh() {
    const fs::path file = target();
    if (!changedOnDisk(file))
        return;
    // Shared with other readers, never with a writer: an append is never read half-written.
    // A folder where no lock file can be made is still read.
    std::optional<LockFile> lock;
    try {
        lock.emplace(file, LOCK_SH);
    } catch (const std::system_error&) {
    }
    load(file);
}

void RegistryFileStore::apply(const Change& change) {
    try {
        const fs::path file = target();
        const LockFile lock(file, LOCK_EX);
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
    } catch (const RegistryFileError& e) {
        throw ChangeNotWritten(e.what());
    } catch (const std::system_error& e) {
        throw ChangeNotWritten(e.what());
    }
}

// Appends the change when the file then reads exactly as the change says; otherwise writes
// the file whole.
void RegistryFileStore::write(const fs::path& file, const Change& change) {
    findAppended();
    std::string section = appended::sectionFor(tree(), change);
    if (m_appended == 0) {
        std::string opening = "\r\n";
        opening += appended::Marker;
        opening += "\r\n";
        section.insert(0, opening);
    }
    if (!appended::readsAs(m_tail, section, {&change, 1})) {
        rewrite(file, &change);
        return;
    }
    append(file, section);
    m_document.apply(change);
    m_appended += section.size();
    ++m_appendedSections;
    m_foldWhenReleased = true;
    m_tail = section.substr(appended::lastSectionStart(section));
}

// One write and one fsync. On failure the file is cut back to what it was.
void RegistryFileStore::append(const fs::path& file, std::string_view section) {
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        throwErrno("open " + file.string());
    if (stampOf(st) != m_stamp) {
        errno = EAGAIN; // changed since the look under the lock, by a program that does not lock
        throwErrno("append to " + file.string());
    }
    const off_t end = st.st_size - static_cast<off_t>(m_torn);
    if ((m_torn > 0 && m_calls.callTruncate(fd.get(), end) != 0) || ::lseek(fd.get(), end, SEEK_SET) != end)
        throwErrno("append to " + file.string());
    try {
        m_calls.writeAll(fd.get(), section, file.string());
        markModifiedNow(fd.get());
        if (m_calls.callFsync(fd.get()) != 0)
            throwErrno("fsync " + file.string());
    } catch (const std::system_error&) {
        takeBackAppend(fd.get());
        throw;
    }
    if (::fstat(fd.get(), &st) != 0)
        m_stamp = Stamp{};
    else
        recordWritten(st);
}

void RegistryFileStore::takeBackAppend(int fd) {
    const int error = errno;
    struct stat st {};
    bool restored = m_calls.callTruncate(fd, m_stamp.size - static_cast<off_t>(m_torn)) == 0;
    if (restored) {
        markModifiedNow(fd);
        restored = m_calls.callFsync(fd) == 0 && ::fstat(fd, &st) == 0;
    }
    if (restored)
        recordWritten(st);
    else
        m_stamp = Stamp{}; // the next look loads whatever the file now holds
    errno = error;
}

// Writes the file whole, atomically, with its appended sections folded in and the change, if
// any, made. On failure the store loads the file again, so that what it holds is what the
// file holds.
void RegistryFileStore::rewrite(const fs::path& file, const Change* change) {
    findAppended();
    if (m_appended > 0) {
        // The folded file reads the same as what the store holds, and replaces it: built
        // beside it, both would be held at once. Should it fail, the next look loads the file.
        const Stamp stamp = std::exchange(m_stamp, Stamp{});
        m_document = RegistryDocument();
        m_document = folded(file);
        m_stamp = stamp;
    }
    if (change)
        m_document.apply(*change);
    try {
        // The lines nobody changed are copied from the file as it was read: a program that
        // changed it meanwhile, without the lock, would otherwise find its change lost, or
        // mixed into a file that reads as neither.
        replaceFileAtomically(file, m_document.pieces(), m_mode, callsLettingSourceGo(), [&] {
            failIfCutShort();
            if (changedOnDisk(file)) {
                errno = EAGAIN;
                throwErrno("rewrite " + file.string());
            }
        });
    } catch (const std::system_error&) {
        m_stamp = Stamp{};
        try {
            load(file);
        } catch (const RegistryFileError&) {
        }
        throw;
    }
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        m_stamp = Stamp{};
    else
        recordWritten(st);
    m_appended = 0;
    m_appendedSections = 0;
    m_tail = lastSectionOf(m_document.pieces());
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
    if (m_document.bytesLost()) {
        errno = EAGAIN;
        throwErrno("read " + m_file.string());
    }
}

void RegistryFileStore::rewriteWhenLarge(const fs::path& file) {
    const auto size = static_cast<std::size_t>(m_stamp.size);
    if (m_appended <= std::max(MinimumFoldBytes, size / 8) &&
        m_appendedSections <= std::max(MinimumFoldSections, size / FileBytesPerSection))
        return;
    try {
        rewrite(file, nullptr);
    } catch (const std::system_error&) {
        // The change is on disk already; the appended form stays until the next fold.
    } catch (const RegistryFileError&) {
    }
}

void RegistryFileStore::compact() {
    findAppended();
    if (m_appended == 0)
        return;
    const fs::path file = target();
    const LockFile lock(file, LOCK_EX);
    syncWithDisk(file);
    findAppended();
    if (m_appended > 0)
        rewrite(file, nullptr);
}

// The stamp of what this store just wrote. Its time was set below the clock's tick, so any
// later change shows; should that have failed, the next look loads the file again.
void RegistryFileStore::recordWritten(const struct stat& st) {
    m_stamp = timeTellsChanges(st) ? stampOf(st) : Stamp{};
    m_torn = 0; // whatever a killed writer left was cut off before this write
    m_racyHash.reset();
}

} // namespace kv
