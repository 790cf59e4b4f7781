// Reading the emulators' configuration files, and their INI text.
#include "ConfigFile.h"

#include "Failure.h"
#include "VirtualMachine.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

Failure notConfiguration(const fs::path& file, const char* why) {
    return Failure(vmText(why, {file.string()}));
}

} // namespace

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::string readConfigFile(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!isRegularFile(file) || ec)
        throw notConfiguration(file,
                               QT_TRANSLATE_NOOP("VirtualMachines", "%1 は通常のファイルではありません"));
    if (size > MaxConfigSize)
        throw notConfiguration(file,
                               QT_TRANSLATE_NOOP("VirtualMachines", "%1 は設定ファイルにしては大きすぎます"));
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
        throw Failure(vmText(QT_TRANSLATE_NOOP("VirtualMachines", "%1 を読めません"), {file.string()}),
                      lastSystemReason());
    return bytes;
}

IniFile IniFile::parse(std::string_view text, const fs::path& file) {
    if (text.find('\0') != std::string_view::npos)
        throw notConfiguration(file,
                               QT_TRANSLATE_NOOP("VirtualMachines", "%1 はテキストファイルではありません"));
    IniFile ini;
    std::string section;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = lowerAscii(trimmed(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || line.starts_with('#') || line.starts_with(';'))
            continue;
        ini.m_sections[section][lowerAscii(trimmed(line.substr(0, equals)))] =
            std::string(trimmed(line.substr(equals + 1)));
    }
    return ini;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const auto found = m_sections.find(lowerAscii(section));
    if (found == m_sections.end())
        return std::nullopt;
    const auto entry = found->second.find(lowerAscii(key));
    if (entry == found->second.end())
        return std::nullopt;
    return entry->second;
}

std::map<std::string, std::string> IniFile::section(std::string_view section) const {
    const auto found = m_sections.find(lowerAscii(section));
    return found == m_sections.end() ? std::map<std::string, std::string>{} : found->second;
}

std::optional<IniFile> readIniFile(const fs::path& file, const Notes& notes) {
    if (!isRegularFile(file))
        return std::nullopt;
    try {
        return IniFile::parse(readConfigFile(file), file);
    } catch (const Failure& failure) {
        notes(failure);
        return std::nullopt;
    }
}

fs::path resolvedAgainst(const fs::path& base, const fs::path& path) {
    return (path.is_absolute() ? path : base / path).lexically_normal();
}

} // namespace kv::vms
