#include "AtomicFile.h"

#include "FileFailure.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

// ".registry.reg.XXXXXX" beside "registry.reg": hidden, and recognisable as ours.
std::string temporaryPrefix(const std::filesystem::path& target) {
    std::string prefix = target.filename().string();
    prefix.insert(prefix.begin(), '.');
    prefix.push_back('.');
    return prefix;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// A temporary file younger than this may belong to a writer that has not locked it yet.
constexpr time_t YoungTemporarySeconds = 10;

bool isStaleTemporary(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                       st.st_mtime + YoungTemporarySeconds < ::time(nullptr) &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return stale;
}

// The new file takes the owner and group of the one it replaces, as an edit in place would keep
// them: run by root on another user's file it would otherwise become root's. An ordinary user
// cannot give a file away, so there it keeps at least the group, when the user is in it.
// False when neither could be kept, or there is no file to replace.
bool takeOwnerOf(const std::filesystem::path& target, int fd) {
    struct stat st {};
    return ::stat(target.c_str(), &st) == 0 &&
           (::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0);
}

} // namespace

void FileCalls::writeAll(int fd, std::string_view bytes, const std::filesystem::path& file) const {
    while (!bytes.empty()) {
        const ssize_t n =
            write ? write(fd, bytes.data(), bytes.size()) : ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "書き込めません"),
                       n == 0 ? systemReason(ENOSPC) : lastSystemReason());
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

int FileCalls::callFsync(int fd) const {
    return fsync ? fsync(fd) : ::fsync(fd);
}

int FileCalls::callTruncate(int fd, off_t length) const {
    return truncate ? truncate(fd, length) : ::ftruncate(fd, length);
}

int FileCalls::callRename(const char* from, const char* to) const {
    return rename ? rename(from, to) : ::rename(from, to);
}

void setModifiedTwoSecondsBack(int fd) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    now.tv_sec -= 2;
    const timespec times[2] = {{0, UTIME_OMIT}, now};
    ::futimens(fd, times); // without it the file is only harder to tell apart, never wrong
}

namespace {

// How the temporary file takes the target's name: rename replaces what is there, link leaves
// an existing file be.
enum class Publish { Replace, CreateOnly };

// Gives temp the target's name too, unless target is there. A file system without hard links
// (FAT) gets a rename when nothing is there: only a writer at the very same moment could lose.
bool createdByLink(const std::string& temp, const std::filesystem::path& target) {
    if (::link(temp.c_str(), target.c_str()) == 0)
        return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(temp.c_str(), target.c_str()) == 0; // temp's name is gone with it
}

// Writes the temporary file and publishes it; false when CreateOnly found a file there.
bool publishFile(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                 mode_t mode, const FileCalls& calls, const std::function<void()>& beforeRename,
                 Publish publish) {
    const std::filesystem::path folder = folderOf(target);
    std::string temp = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        failOnFile(target, QT_TRANSLATE_NOOP("RegistryFile", "一時ファイルを作成できません"),
                   lastSystemReason());
    const char* const cannotWrite = QT_TRANSLATE_NOOP("RegistryFile", "書き込めません");
    const char* const cannotSync = QT_TRANSLATE_NOOP("RegistryFile", "ディスクに書き込めません");
    try {
        // Held until the descriptor closes: tells the stale-temporary sweep this file is in use.
        ::flock(fd, LOCK_EX | LOCK_NB);
        // Before the mode: a change of owner clears the set-user and set-group bits.
        takeOwnerOf(target, fd);
        if (::fchmod(fd, mode) != 0)
            failOnFile(target, cannotWrite, lastSystemReason());
        for (const auto bytes : pieces)
            calls.writeAll(fd, bytes, target);
        setModifiedTwoSecondsBack(fd);
        if (calls.callFsync(fd) != 0)
            failOnFile(target, cannotSync, lastSystemReason());
        if (beforeRename)
            beforeRename();
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    // close() releases the descriptor even when it fails, so it is never closed twice.
    if (::close(fd) != 0) {
        const std::error_code reason = lastSystemReason();
        ::unlink(temp.c_str());
        failOnFile(target, cannotWrite, reason);
    }
    const bool published = publish == Publish::Replace ? calls.callRename(temp.c_str(), target.c_str()) == 0
                                                       : createdByLink(temp, target);
    const std::error_code reason = lastSystemReason();
    if (!published || publish == Publish::CreateOnly)
        ::unlink(temp.c_str());
    if (!published && publish == Publish::CreateOnly && reason == std::errc::file_exists)
        return false;
    if (!published)
        failOnFile(target, QT_TRANSLATE_NOOP("RegistryFile", "置き換えられません"), reason);
    syncFolder(folder, calls);
    return true;
}

} // namespace

void syncFolder(const std::filesystem::path& folder, const FileCalls& calls) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && calls.callFsync(dir) == 0;
    const std::error_code reason = lastSystemReason();
    if (dir >= 0)
        ::close(dir);
    if (!synced)
        failOnFile(folder, QT_TRANSLATE_NOOP("RegistryFile", "ディスクに書き込めません"), reason);
}

void replaceFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                           mode_t mode, const FileCalls& calls, const std::function<void()>& beforeRename) {
    publishFile(target, pieces, mode, calls, beforeRename, Publish::Replace);
}

bool createFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                          mode_t mode) {
    return publishFile(target, pieces, mode, {}, {}, Publish::CreateOnly);
}

void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = temporaryPrefix(target);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folderOf(target), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix) && isStaleTemporary(it->path()))
            std::filesystem::remove(it->path(), ec);
    }
}

} // namespace kv
