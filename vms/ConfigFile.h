// The configuration files of the emulators as hostile input: read whole, but only when they are
// regular files of a sane size, and INI text split into sections without interpreting more than
// a reader asks for.
#pragma once

#include "VirtualMachine.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kv::vms {

// Configuration files are small; a larger one is not a configuration.
constexpr std::size_t MaxConfigSize = 4 << 20;

// The file's bytes. Throws a Failure when it is not a regular file, is larger than
// MaxConfigSize or cannot be read.
std::string readConfigFile(const std::filesystem::path& file);

// Whether path names a regular file now (following links); false for anything else.
bool isRegularFile(const std::filesystem::path& path);

// "key = value" lines under "[Section]" headers; keys before any header are in section "".
// Section and key names compare without regard to ASCII case, values keep their bytes with the
// blanks around them removed. A line that is neither is passed over, as the emulators do; a
// file with NUL bytes is not INI text at all (a Failure).
class IniFile {
public:
    static IniFile parse(std::string_view text, const std::filesystem::path& file);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Every key of a section, in name order, with its value.
    std::map<std::string, std::string> section(std::string_view section) const;

private:
    // Lower-case section name, then lower-case key.
    std::map<std::string, std::map<std::string, std::string>> m_sections;
};

// The INI file, or nullopt when there is no such regular file or, after a note naming it, when it
// cannot be read as one.
std::optional<IniFile> readIniFile(const std::filesystem::path& file, const Notes& notes);

// path made absolute against base when it is relative, and lexically normal.
std::filesystem::path resolvedAgainst(const std::filesystem::path& base, const std::filesystem::path& path);

} // namespace kv::vms
