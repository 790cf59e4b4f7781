// The user's settings file, $XDG_CONFIG_HOME/kavendel/kavendel.conf (normally
// ~/.config/kavendel/kavendel.conf): one "key=value" per line. Lines it does not know, and
// other keys, are kept as they are when a value is set.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class UserConfig {
public:
    // Empty when neither XDG_CONFIG_HOME nor HOME names an absolute folder: then there are no
    // settings to read, and none are written into the current folder.
    static std::filesystem::path defaultFile();

    explicit UserConfig(std::filesystem::path file)
        : m_file(std::move(file)) {}

    // The value of the last line setting key, read from the file now.
    std::optional<std::string> value(std::string_view key) const;
    // The values of every line setting key, in the file's order.
    std::vector<std::string> values(std::string_view key) const;
    // The lines, numbered from 1, that set none of keys: neither blank nor a "#" comment.
    std::vector<std::pair<int, std::string>> unknownLines(std::initializer_list<std::string_view> keys) const;
    // Replaces key's lines with one (or adds it), atomically. Throws Failure.
    void setValue(std::string_view key, std::string_view value) const;

    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

} // namespace kv
