// The bytes of a file, for tests that check what the program wrote; a missing file reads as empty.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kv::test {

inline std::string fileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace kv::test
