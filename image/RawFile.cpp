#include "RawFile.h"

#include "DiskImage.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kv::image {

namespace {

// The reasons the user can act on are told in a sentence of their own; any other comes from the
// system.
Failure whyNotOpened(const std::filesystem::path& file, int error, bool forWriting) {
    switch (error) {
    case ENOENT:
        return Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: そのようなファイルはありません"), {file.string()}));
    case EROFS:
        return Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 は読み取り専用のファイルシステムにあります。"),
                      {file.string()}));
    case EACCES:
    case EPERM:
        if (forWriting)
            return Failure(imageText(
                QT_TRANSLATE_NOOP("DiskImage", "%1 は読み取り専用です。Kavendel は書き込めません。"),
                {file.string()}));
        return Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を読み込む権限がありません"), {file.string()}));
    default:
        return Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を開けません"), {file.string()}),
                       systemReason(error));
    }
}

} // namespace

RawFile::RawFile(int fd, std::filesystem::path path)
    : m_fd(fd)
    , m_path(std::move(path)) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はディスクイメージのファイルではありません"),
                      {m_path.string()}));
    }
    m_size = static_cast<std::uint64_t>(st.st_size);
}

RawFile::RawFile(RawFile&& other) noexcept
    : m_fd(other.m_fd)
    , m_size(other.m_size)
    , m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

RawFile::~RawFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

RawFile RawFile::openForReading(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw whyNotOpened(file, errno, false);
    return RawFile(fd, file);
}

RawFile RawFile::openForWriting(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw whyNotOpened(file, errno, true);
    RawFile opened(fd, file);
    // Even where the user may write anything, a file with no write permission is meant to stay.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_mode & 0222) == 0)
        throw whyNotOpened(file, EACCES, true);
    return opened;
}

std::string RawFile::readAt(std::uint64_t offset, std::size_t length) const {
    std::string bytes(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(m_fd, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を読み込めません"), {m_path.string()}),
                          lastSystemReason());
        if (n == 0)
            throw Failure(imageText(
                QT_TRANSLATE_NOOP("DiskImage", "%1 は含むべきデータの手前、%2 バイト目で終わっています。"
                                               "イメージが途中で切れています"),
                {m_path.string(), std::to_string(offset + done)}));
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

void RawFile::writeAt(std::uint64_t offset, std::string_view bytes, const FileCalls& calls) const {
    if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 に書き込めません"), {m_path.string()}),
                      lastSystemReason());
    calls.writeAll(m_fd, bytes, m_path.string()); // names the file and the system's reason
}

void RawFile::sync(const FileCalls& calls) const {
    if (calls.callFsync(m_fd) != 0)
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 に書き込めません"), {m_path.string()}),
                      lastSystemReason());
}

} // namespace kv::image
