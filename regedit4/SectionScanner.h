// Finds the section headers of REGEDIT4 text without reading every line. A header is a line
// that starts with "[" after blanks, unless the line before it (blank and comment lines aside)
// asks a hex list to go on: then regedit may take the "[" line in as a broken continuation.
// Only there are the lines read one by one, from the last point known to start an entry.
#pragma once

#include "EntrySplitter.h"

#include <cstddef>
#include <string_view>

namespace kv {

class SectionScanner {
public:
    // from: the start of a line that starts an entry, such as the one after the REGEDIT4 line.
    SectionScanner(std::string_view text, std::size_t from);
    // The next header that opens, deletes or closes a key, as a RawEntry of kind Section with
    // its line end; false at the end of the text.
    bool next(RawEntry& header);

private:
    // Whether the last line before lineStart that is neither blank nor a comment may ask for
    // more, so that regedit would read the line at lineStart as part of its value.
    bool mayContinueInto(std::size_t lineStart) const;
    // The entry the line at lineStart belongs to, read line by line; true when it is a header.
    bool readExactly(std::size_t lineStart, RawEntry& header);

    std::string_view m_text;
    std::size_t m_pos;  // where the search for "[" goes on
    std::size_t m_safe; // a point at or before m_pos where an entry starts
};

} // namespace kv
