// Splits REGEDIT4 text into entries, grouping its physical lines the way regedit reads them.
// A value whose hex list ends in "\" goes on over the lines after it: blank and comment lines
// in between are skipped, and the next other line must start with a hex digit, or the value is
// dropped and that line goes with it.
#pragma once

#include "KeyTree.h"
#include "LineClassifier.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

struct RawEntry {
    enum class Kind : std::uint8_t {
        Blank,
        Comment,
        Value,      // a value line, with the lines its hex data continues onto
        Stray,      // a line regedit skips: malformed
        BadSection, // a "[" line that changes nothing: malformed
        Section,    // a section header, sound or one that leaves no key open
    };
    Kind kind = Kind::Blank;
    bool open = false;      // a value whose hex data still asks for more at the end of the text
    std::size_t offset = 0; // in the text, with the entry's line ends
    std::size_t length = 0;
    std::size_t lines = 1;
    SectionLine section; // BadSection and Section
};

// A value entry read in full.
struct ValueEntry {
    const char* problem = nullptr; // why it has no effect; nullptr when it has one
    bool deletion = false;
    bool open = false;
    std::size_t mark = 0; // open: where the "\" that asks for more stands in the text
    std::size_t lines = 1;
};

class EntrySplitter {
public:
    enum class Mode : std::uint8_t {
        Exact, // every entry as regedit groups its lines
        // Only the section headers are exact: a value's continuation lines are followed by their
        // shape, and read in full only where that decides whether a line starts a section.
        Sections,
    };
    explicit EntrySplitter(std::string_view text, Mode mode = Mode::Exact);
    bool next(RawEntry& entry);

private:
    ValueEntry skimValue(std::size_t start);

    LineReader m_lines;
    Mode m_mode;
};

// Reads the value entry that makes up text; value, when not null, gets what it sets.
ValueEntry readValueEntry(std::string_view text, RegValue* value);

} // namespace kv
