#include "ImageLock.h"

#include "DiskImage.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::image {

namespace {

// QEMU's lock bytes: 100 + permission bit held, 200 + permission bit not shared. The bits used
// here are consistent reading (0) and writing (1).
constexpr off_t PermissionBase = 100;
constexpr off_t UnsharedBase = 200;
constexpr off_t WriteBit = 1;
// Kavendel's own byte, far past any image's end and far from QEMU's.
constexpr off_t KavendelByte = off_t{1} << 60;

bool lockBytes(int fd, off_t start, off_t length) {
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

} // namespace

Message inUseMessage(const std::filesystem::path& image) {
    return imageText(QT_TRANSLATE_NOOP(
                         "DiskImage", "%1 は別のプログラム (おそらくこのマシンを動かしているエミュレータ) "
                                      "が使っています。エミュレータを終了してから、もう一度試してください。"),
                     {image.string()});
}

Message inUseByKavendelMessage(const std::filesystem::path& image) {
    return imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 には別の Kavendel が書き込んでいます。"
                                                    "その書き込みが終わってから、もう一度試してください。"),
                     {image.string()});
}

bool lockedByOthers(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_len = KavendelByte;
    if (::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK;
    ::flock(fd, LOCK_UN);
    return false;
}

OpenFiles OpenFiles::ofOtherProcesses() {
    OpenFiles files;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (std::filesystem::directory_iterator process("/proc", ec), end; !ec && process != end;
         process.increment(ec)) {
        const std::string pid = process->path().filename().string();
        if (pid == self || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code unreadable; // another user's process, or one that just ended
        for (std::filesystem::directory_iterator fd(process->path() / "fd", unreadable);
             !unreadable && fd != end; fd.increment(unreadable)) {
            struct stat open {};
            if (::stat(fd->path().c_str(), &open) == 0)
                files.m_files.emplace(open.st_dev, open.st_ino);
        }
    }
    return files;
}

bool OpenFiles::contains(const std::filesystem::path& file) const {
    struct stat target {};
    return ::stat(file.c_str(), &target) == 0 && m_files.count({target.st_dev, target.st_ino}) > 0;
}

bool openedByOthers(const std::filesystem::path& file) {
    return OpenFiles::ofOtherProcesses().contains(file);
}

bool holdWriterLocks(int fd) {
    return lockBytes(fd, PermissionBase, WriteBit + 1) && lockBytes(fd, UnsharedBase + WriteBit, 1);
}

KavendelImageLock::KavendelImageLock(const std::filesystem::path& image)
    : m_file(RawFile::openForWriting(image)) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = KavendelByte;
    lock.l_len = 1;
    if (::fcntl(m_file.fd(), F_OFD_SETLK, &lock) == 0)
        return;
    if (errno == EAGAIN || errno == EACCES)
        throw Failure(inUseByKavendelMessage(image));
    const std::error_code reason = lastSystemReason();
    throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 をロックできません"), {image.string()}),
                  reason);
}

} // namespace kv::image
