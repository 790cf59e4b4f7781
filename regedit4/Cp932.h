// CP932 (Japanese Windows ANSI) byte-string helpers.
//
// Registry names and strings are bytes in the ANSI code page. A double-byte character's
// second byte may be 0x5C ("\") or an ASCII letter, so every scan walks whole characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cp932 {

inline bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character starting at s[i] (1 or 2; 1 for a lead byte at the end).
inline std::size_t charLength(std::string_view s, std::size_t i) {
    return (isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// True when the text's last character is a lead byte without its second byte: written between
// quotes it would take the closing quote as its second byte.
inline bool endsInLoneLeadByte(std::string_view s) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i))
        last = i;
    return last != std::string_view::npos && last + 1 == s.size() &&
           isLeadByte(static_cast<unsigned char>(s[last]));
}

// The name as the registry compares it: ASCII letters lowered, double-byte characters untouched.
std::string fold(std::string_view name);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Orders as fold(a) <=> fold(b) would, without making the folded copies.
int compareIgnoringCase(std::string_view a, std::string_view b);

// A hash of fold(name), without making the folded copy.
std::size_t hashIgnoringCase(std::string_view name);

// Position of the first single-byte character c at or after from, or npos.
std::size_t findChar(std::string_view s, char c, std::size_t from = 0);

// Splits at every "\" that is a character of its own; empty parts are kept.
std::vector<std::string> split(std::string_view path);

// CP932 bytes to UTF-8, for display and messages; undecodable bytes become U+FFFD.
std::string toUtf8(std::string_view bytes);

// UTF-8 to CP932 bytes; characters CP932 cannot hold become "?".
std::string fromUtf8(std::string_view utf8);

} // namespace cp932
