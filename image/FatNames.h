// Names in a FAT folder: short 8.3 names in CP932, long names in UTF-16 spread over entries of
// 13 characters, the checksum that ties them, and Windows paths taken apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::image::fatname {

constexpr std::size_t EntrySize = 32;
constexpr std::size_t CharsPerLongEntry = 13;

// The checksum of an entry's 11 name bytes that each of its long-name entries carries.
std::uint8_t checksum(std::string_view shortName11);

// "NAME.EXT" from an entry's 11 bytes; a first byte 0x05 stands for 0xE5, a CP932 lead byte.
std::string shortNameOf(std::string_view raw11);

// The 11 bytes of an 8.3 name made of plain ASCII, upper-cased, or nullopt.
std::optional<std::string> plainShortName(std::string_view name);

// The path's parts below the root of drive C, or nullopt for another drive or one that leaves
// the root through "..".
std::optional<std::vector<std::string>> pathParts(std::string_view windowsPath);

// The 13 characters a long-name entry holds, and an entry made of them.
std::u16string longNamePart(std::string_view entry);
void putLongNamePart(std::string& entry, std::u16string_view part);

std::string utf8(const std::u16string& text);

// ASCII letters compared without case; every other byte exactly.
bool sameAsciiFolded(std::string_view a, std::string_view b);

// Sets the entry's written and created dates and times to now; Windows 98 keeps local time.
void stampNow(std::string& entry);

} // namespace kv::image::fatname
