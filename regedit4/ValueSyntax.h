// The text of one registry value, read and written as regedit does: the name, the data after
// "=" ("text", dword:, hex:, hex(N):, or - for a deletion), and a hex list's lines.
#pragma once

#include "KeyTree.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

enum class HexEnd : std::uint8_t {
    Invalid,   // the list is broken: the value is dropped
    Complete,  // the list ends on this line
    Continues, // a "\" after a comma (or the tag) asks for more on the next line
};

// The value line as read so far. name and data may be null to check the line only.
struct ValueLine {
    bool deletion = false;
    std::uint32_t type = RegString;
    HexEnd hex = HexEnd::Complete; // for hex data: how its first line ends
    std::size_t mark = 0;          // where the "\" stands in the line when it continues
};

// Reads a line whose first character after blanks is '"' or '@'. Returns why it is malformed,
// or nullptr.
const char* readValueLine(std::string_view line, ValueLine& out, std::string* name, std::string* data);

// Reads one line of a hex list (the first line's part after the tag, or a continuation line),
// appending its bytes to data when it is not null.
// mark, when given, gets the position of the "\" that continues the list.
HexEnd readHexList(std::string_view list, std::string* data, std::size_t* mark = nullptr);

// A continuation line must start with a hex digit, after blanks.
bool startsWithHexDigit(std::string_view line);

// Cheap test that a value line cannot continue onto the next: no "\" ends it and no comment
// follows one.
bool cannotContinue(std::string_view line);

// One value as a REGEDIT4 entry, the way regedit writes it; eol ends every physical line.
std::string formatValue(const RegValue& value, std::string_view eol);

} // namespace kv
