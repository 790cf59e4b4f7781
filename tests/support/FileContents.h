// The bytes of a file, for tests that check what the program wrote; a missing file reads as empty.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace kv::test {

// Read in large blocks: the disk-image tests read 64 MB images many times over, and a
// character-by-character read of those is minutes in a sanitizer build. Files of /proc, whose
// size says 0, read whole too.
inline std::string fileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    std::string block(1 << 16, '\0');
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
        bytes.append(block, 0, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace kv::test
