#include "FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kv {

std::optional<std::string> readIfPresent(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    // An empty file has nothing to insert, which the stream would take for a failure.
    const bool empty = in && in.peek() == std::char_traits<char>::eof();
    if (!empty && (!in || !(bytes << in.rdbuf()) || in.bad()))
        throw std::system_error(errno ? errno : EIO, std::generic_category(), "cannot read " + file.string());
    return std::move(bytes).str();
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw std::system_error(error, std::generic_category(), "fsync " + folder.string());
}

} // namespace kv
