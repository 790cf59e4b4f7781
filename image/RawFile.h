// An image file opened by descriptor: its size, reads at an offset that are never short, and
// writes through the file calls that tests record.
#pragma once

#include "ImageCalls.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kv::image {

class RawFile {
public:
    // Throws a Failure when the file is missing, unreadable or not a regular file.
    static RawFile openForReading(const std::filesystem::path& file);
    // Throws a Failure saying why the file cannot be written (read-only file or file system).
    static RawFile openForWriting(const std::filesystem::path& file);

    RawFile(RawFile&& other) noexcept;
    RawFile& operator=(RawFile&&) = delete;
    ~RawFile();

    int fd() const { return m_fd; }
    std::uint64_t size() const { return m_size; }

    // Exactly length bytes; throws a Failure when the file ends before them.
    std::string readAt(std::uint64_t offset, std::size_t length) const;
    // Throws a Failure naming the file, with the system's reason.
    void writeAt(std::uint64_t offset, std::string_view bytes, const FileCalls& calls) const;
    void sync(const FileCalls& calls) const;

private:
    RawFile(int fd, std::filesystem::path path);

    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::filesystem::path m_path;
};

} // namespace kv::image
