// A folder of its own under the system's temporary folder, removed with everything in it at the
// end: for the program's scratch files and for the tests alike.
#pragma once

#include <filesystem>
#include <string_view>

namespace kv {

class TemporaryFolder {
public:
    // Named "kavendel-PURPOSE-XXXXXX". Its path has no blanks, since qemu-io splits its commands at
    // blanks: a system temporary folder with blanks in its path gives way to /tmp. Throws a
    // Failure naming the folder it could not be made in.
    explicit TemporaryFolder(std::string_view purpose = "test");
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace kv
