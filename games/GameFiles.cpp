#include "GameFiles.h"

#include "Cp932.h"
#include "MachineFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kv {

namespace {

// Closes the descriptor and removes the temporary file unless the save went through.
class TempFile {
public:
    explicit TempFile(const fs::path& target) {
        std::string pattern =
            (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
        m_fd = ::mkstemp(pattern.data());
        if (m_fd >= 0)
            m_path = pattern;
    }
    ~TempFile() {
        close();
        if (!m_kept && !m_path.empty())
            ::unlink(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void keep() { m_kept = true; }

private:
    int m_fd = -1;
    std::string m_path;
    bool m_kept = false;
};

bool writeAll(const GameFiles::WriteFn& write, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

GameFileError GameFileError::cannotOpen(std::string_view windowsPath) {
    return GameFileError("ファイル " + cp932::toUtf8(windowsPath) + " は開けません");
}

GameFileError GameFileError::cannotCreate(std::string_view windowsPath) {
    return GameFileError("ファイル " + cp932::toUtf8(windowsPath) + " を作成できません");
}

GameFiles::GameFiles(const MachineFolder& machine, WriteFn write)
    : m_machine(machine)
    , m_write(write ? std::move(write) : WriteFn([](int fd, const void* data, std::size_t size) {
        return ::write(fd, data, size);
    })) {}

std::string GameFiles::read(std::string_view windowsPath) const {
    const auto host = m_machine.resolve(windowsPath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec))
        throw GameFileError::cannotOpen(windowsPath);
    const auto size = fs::file_size(*host, ec);
    if (ec || size > MaxFileSize)
        throw GameFileError::cannotOpen(windowsPath);
    std::ifstream in(*host, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw GameFileError::cannotOpen(windowsPath);
    return bytes;
}

void GameFiles::save(std::string_view windowsPath, std::string_view bytes) const {
    auto host = m_machine.resolve(windowsPath);
    if (!host)
        throw GameFileError::cannotCreate(windowsPath);
    fs::path target = *host;
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // Replace what a link points at, not the link; resolve() has kept it inside the machine.
        std::error_code ec;
        target = fs::canonical(target, ec);
        const bool readOnly =
            (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0;
        if (ec || !S_ISREG(st.st_mode) || readOnly)
            throw GameFileError::cannotCreate(windowsPath);
        mode = st.st_mode & 07777;
    }
    TempFile temp(target);
    const bool written = temp.fd() >= 0 && ::fchmod(temp.fd(), mode) == 0 &&
                         writeAll(m_write, temp.fd(), bytes) && ::fsync(temp.fd()) == 0 && temp.close();
    if (!written || ::rename(temp.path().c_str(), target.c_str()) != 0)
        throw GameFileError::cannotCreate(windowsPath);
    temp.keep();
    if (!syncFolder(target.parent_path()))
        throw GameFileError::cannotCreate(windowsPath);
}

} // namespace kv
