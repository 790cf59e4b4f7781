#include "UserConfig.h"

#include "AtomicFile.h"
#include "FileBytes.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

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
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return fs::path(home) / ".config" / "kavendel" / "kavendel.conf";
    return {};
}

std::optional<std::string> UserConfig::value(std::string_view key) const {
    std::vector<std::string> found = values(key);
    if (found.empty())
        return std::nullopt;
    return std::move(found.back());
}

std::vector<std::string> UserConfig::values(std::string_view key) const {
    std::vector<std::string> found;
    for (const std::string& line : linesOf(m_file))
        if (keyOf(line) == key)
            found.emplace_back(trimmed(std::string_view(line).substr(line.find('=') + 1)));
    return found;
}

std::vector<std::pair<int, std::string>>
UserConfig::unknownLines(std::initializer_list<std::string_view> keys) const {
    std::vector<std::pair<int, std::string>> unknown;
    int number = 0;
    for (const std::string& line : linesOf(m_file)) {
        ++number;
        const auto key = keyOf(line);
        const bool known = key && std::find(keys.begin(), keys.end(), *key) != keys.end();
        if (!known && !trimmed(line).empty() && !trimmed(line).starts_with('#'))
            unknown.emplace_back(number, std::string(trimmed(line)));
    }
    return unknown;
}

void UserConfig::setValue(std::string_view key, std::string_view value) const {
    if (m_file.empty())
        throw Failure(
            Message{{}, "CommandLine", QT_TRANSLATE_NOOP("CommandLine", "設定ファイルがありません"), {}},
            std::make_error_code(std::errc::no_such_file_or_directory));
    std::string text;
    for (const std::string& line : linesOf(m_file))
        if (keyOf(line) != key)
            text += line + '\n';
    text += std::string(key) + '=' + std::string(value) + '\n';
    failingAs(
        Message{
            {}, "CommandLine", QT_TRANSLATE_NOOP("CommandLine", "%1 に書き込めません"), {m_file.string()}},
        [&] {
            fs::create_directories(m_file.parent_path());
            replaceFileAtomically(m_file, {text}, 0644);
        });
}

} // namespace kv
