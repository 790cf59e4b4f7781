#include "UserConfig.h"

#include "AtomicFile.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace kv {

namespace {

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The key of a "key=value" line, or nullopt for a comment or a line without "=".
std::optional<std::string_view> keyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimmed(line).starts_with('#'))
        return std::nullopt;
    return trimmed(line.substr(0, equals));
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

fs::path UserConfig::defaultFile() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / "kavendel" / "kavendel.conf";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : ".") / ".config" / "kavendel" / "kavendel.conf";
}

std::optional<std::string> UserConfig::value(std::string_view key) const {
    std::optional<std::string> found;
    for (const std::string& line : linesOf(m_file))
        if (keyOf(line) == key)
            found = std::string(trimmed(std::string_view(line).substr(line.find('=') + 1)));
    return found;
}

void UserConfig::setValue(std::string_view key, std::string_view value) const {
    std::string text;
    for (const std::string& line : linesOf(m_file))
        if (keyOf(line) != key)
            text += line + '\n';
    text += std::string(key) + '=' + std::string(value) + '\n';
    fs::create_directories(m_file.parent_path());
    replaceFileAtomically(m_file, {text}, 0644);
}

} // namespace kv
