#include "RegistryFileStore.h"

#include "AtomicFile.h"
#include "StoreError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

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
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Held while a writer merges and replaces the file; released when the descriptor closes.
class LockFile {
public:
    explicit LockFile(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_fd.get() < 0)
            throwErrno("cannot open the lock file " + path.string());
        while (::flock(m_fd.get(), LOCK_EX) != 0)
            if (errno != EINTR)
                throwErrno("cannot lock " + path.string());
    }

private:
    FileDescriptor m_fd;
};

} // namespace

RegistryFileStore::RegistryFileStore(std::filesystem::path file, WriteFunction write)
    : m_file(std::move(file))
    , m_write(std::move(write)) {}

std::unique_ptr<RegistryFileStore> RegistryFileStore::open(const std::filesystem::path& file,
                                                           WriteFunction write) {
    std::unique_ptr<RegistryFileStore> store(new RegistryFileStore(file, std::move(write)));
    store->load();
    return store;
}

std::optional<RegistryFileStore::Stamp> RegistryFileStore::stampOnDisk() const {
    struct stat st {};
    if (::stat(m_file.c_str(), &st) != 0)
        return std::nullopt;
    return Stamp{st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
                 st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

// Reads and parses the file; the store is unchanged when that fails.
void RegistryFileStore::load() {
    const auto unreadable = [&] {
        return RegistryFileError(m_file.string(), QT_TRANSLATE_NOOP("RegistryFile", "読み込めません: %1"),
                                 {std::strerror(errno)});
    };
    FileDescriptor fd(::open(m_file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        throw unreadable();
    if (!S_ISREG(st.st_mode))
        throw RegistryFileError(m_file.string(),
                                QT_TRANSLATE_NOOP("RegistryFile", "通常のファイルではありません"));
    // Read straight into the buffer the document keeps: a copy would double the peak memory.
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    for (;;) {
        // Past the size fstat gave, the file grew meanwhile: go on through a small buffer.
        char more[1 << 12];
        const bool within = done < bytes.size();
        const ssize_t n = within ? ::read(fd.get(), bytes.data() + done, bytes.size() - done)
                                 : ::read(fd.get(), more, sizeof more);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw unreadable();
        if (n == 0)
            break;
        if (!within)
            bytes.append(more, static_cast<std::size_t>(n));
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    try {
        m_document = RegistryDocument::fromBytes(std::move(bytes), m_file.filename().string());
    } catch (const RegistryFileError& e) {
        throw e.naming(m_file.string());
    }
    // The stamp of what was read, not of what the path names by now.
    m_stamp = Stamp{st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
                    st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
    m_mode = st.st_mode & 07777;
}

void RegistryFileStore::refresh() {
    if (!m_pending.empty())
        return; // unsaved changes win; the next flush merges them into the file on disk
    if (stampOnDisk() != m_stamp)
        load();
}

void RegistryFileStore::apply(const Change& change) {
    m_document.apply(change);
    m_pending.push_back(change);
}

void RegistryFileStore::flush(std::string_view failedValueName) {
    if (m_pending.empty())
        return;
    try {
        const LockFile lock(m_file.string() + ".lock");
        if (stampOnDisk() != m_stamp) {
            // Someone else wrote the file since we read it: replay our changes onto theirs.
            load();
            for (const auto& change : m_pending)
                m_document.apply(change);
        }
        // Replace what a link points at, not the link: the registry may be kept elsewhere.
        std::error_code unresolved;
        const std::filesystem::path resolved = std::filesystem::canonical(m_file, unresolved);
        const std::filesystem::path& target = unresolved ? m_file : resolved;
        if (!m_clearedStaleTemporaries) {
            // Killed writers are rare: one look per process is enough, and keeps flushes cheap.
            removeStaleTemporaries(target);
            m_clearedStaleTemporaries = true;
        }
        replaceFileAtomically(target, m_document.pieces(), m_mode, m_write);
        m_pending.clear();
        if (const auto written = stampOnDisk())
            m_stamp = *written;
    } catch (const RegistryFileError&) {
        throw StoreError::storeFailed(failedValueName);
    } catch (const std::system_error&) {
        throw StoreError::storeFailed(failedValueName);
    }
}

} // namespace kv
