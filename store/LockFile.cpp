#include "LockFile.h"

#include "FileFailure.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace kv {

LockFile::LockFile(const std::filesystem::path& file, Mode mode)
    : m_fd(::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (m_fd.get() < 0)
        failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "ロックファイルを作成できません"),
                   lastSystemReason());
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(m_fd.get(), operation) != 0)
        if (errno != EINTR)
            failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "ロックできません"), lastSystemReason());
}

} // namespace kv
