// Little-endian integers inside byte strings: every binary format Kavendel reads or writes (the
// Windows 9x registry file, the partition table, the FAT volume, the image's write record) keeps
// its numbers so. The caller has checked that the bytes are there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace le {

// The `width` bytes from `at`, lowest first; width is at most 8.
inline std::uint64_t read(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline std::uint16_t get16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(read(bytes, at, 2));
}
inline std::uint32_t get32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(read(bytes, at, 4));
}
inline std::uint64_t get64(std::string_view bytes, std::size_t at) {
    return read(bytes, at, 8);
}

// Writes the low `width` bytes of value over the bytes from `at`.
inline void write(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

inline void put16(std::string& bytes, std::size_t at, std::uint64_t value) {
    write(bytes, at, value, 2);
}
inline void put32(std::string& bytes, std::size_t at, std::uint64_t value) {
    write(bytes, at, value, 4);
}
inline void put64(std::string& bytes, std::size_t at, std::uint64_t value) {
    write(bytes, at, value, 8);
}

// Appends value as `width` little-endian bytes.
inline void append(std::string& bytes, std::uint64_t value, std::size_t width) {
    bytes.append(width, '\0');
    write(bytes, bytes.size() - width, value, width);
}

} // namespace le
