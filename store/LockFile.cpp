#include "LockFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>

namespace kv {

LockFile::LockFile(const std::filesystem::path& file, Mode mode)
    : m_fd(::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (m_fd.get() < 0)
        throw std::system_error(errno, std::generic_category(),
                                "cannot open the lock file of " + file.string());
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(m_fd.get(), operation) != 0)
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "cannot lock " + file.string());
}

} // namespace kv
