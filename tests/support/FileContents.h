// The bytes of a file, for tests that check what the program wrote; a missing file reads as empty.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace kv::test {

// One read of the whole file: the disk-image tests read 64 MB images many times over, and a
// character-by-character read of those is minutes in an unoptimised sanitizer build.
inline std::string fileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace kv::test
