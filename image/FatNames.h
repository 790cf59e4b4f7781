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

// What Windows 98 makes of a long name for its short entry: the basis of up to 8 and 3 bytes,
// and whether the name fits it exactly, so that it needs no "~N" tail.
struct ShortNameBasis {
    std::string base;
    std::string ext;
    bool exact = false;
};
ShortNameBasis shortNameBasis(std::string_view name);

// The entry's 11 bytes for the basis, with the tail "~n" when n is not 0; the base is cut to
// make room for the tail without splitting a double-byte character.
std::string shortEntryName(const ShortNameBasis& basis, unsigned n);

// The name in UTF-16 as its long-name entries hold it, or nullopt when Windows cannot hold it
// (a character that is not CP932, or one of "*/:<>?\| and control characters, or longer than 255).
std::optional<std::u16string> longNameOf(std::string_view name);

// The path's parts below the root of drive C, or nullopt for another drive or one that leaves
// the root through "..". Trailing dots and spaces go, as Windows drops them: "FOO." is "FOO".
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
