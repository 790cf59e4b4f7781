#include "AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

[[noreturn]] void throwErrno(const std::string& step, const std::string& name) {
    // Appended, not added: GCC 12 at -O3 warns (-Wrestrict) about "literal" + std::string here.
    std::string what = step;
    what += ' ';
    what += name;
    throw std::system_error(errno, std::generic_category(), what);
}

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

void writeAll(int fd, std::string_view bytes, const WriteFunction& write, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t n =
            write ? write(fd, bytes.data(), bytes.size()) : ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            throwErrno("write", name);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

void replaceFileAtomically(const std::filesystem::path& target, const std::vector<std::string_view>& pieces,
                           mode_t mode, const WriteFunction& write) {
    const std::filesystem::path folder = folderOf(target);
    std::string temp = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throwErrno("cannot create a temporary file in", folder.string());
    try {
        if (::fchmod(fd, mode) != 0)
            throwErrno("chmod", temp);
        for (const auto bytes : pieces)
            writeAll(fd, bytes, write, temp);
        if (::fsync(fd) != 0)
            throwErrno("fsync", temp);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    // close() releases the descriptor even when it fails, so it is never closed twice.
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        throwErrno("close", temp);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        throwErrno("rename", temp);
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0)
        ::close(dir);
    if (!synced)
        throwErrno("fsync", folder.string());
}

void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = temporaryPrefix(target);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folderOf(target), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix) && it->is_regular_file(ec))
            std::filesystem::remove(it->path(), ec);
    }
}

} // namespace kv
