// Changes appended to registry.reg as REGEDIT4 sections, which regedit reads as later
// assignments: a store then costs one short write and one fsync, whatever the file's size.
//
// The appended sections follow one marker line. They are folded back into the file's own
// lines when it is next written whole; until then every reader, Kavendel or regedit, sees the
// same tree, and a Kavendel that finds them after a crash folds them in as it loads.
//
// Each section is appended with one write, which opens with a comment line giving the length
// of the section after it. A writer killed in the middle of that write leaves less than the
// line promises, and only such a remnant is taken for one: whatever else ends the file, say
// another program's section that has no final line end, is that program's change.
#pragma once

#include "KeyTree.h"
#include "SettingsStore.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv::appended {

// The line that opens the appended sections.
inline constexpr std::string_view Marker =
    "; Kavendel: changes appended since the file was last written whole";

// The line that opens each appended section, followed by the section's length in bytes.
inline constexpr std::string_view Opening = "; Kavendel: next change, ";
inline constexpr std::string_view OpeningEnd = " bytes";

// The one write that appends the change: a blank line, the opening line, then the section that
// makes the change when it is read after the file. Keys that exist keep their spelling in top.
std::string sectionFor(const RegKey& top, const Change& change);

// Where the text's last section begins: the start of its last line whose first non-blank
// character is "[", or 0 when there is none. What follows it is all that decides how text
// appended after it is read.
std::size_t lastSectionStart(std::string_view text);

// Whether text appended after a file ending in tail (its last section, from lastSectionStart)
// makes exactly the changes, in order, and nothing else: no line of it swallowed by a hex
// continuation left open, no line malformed.
bool readsAs(std::string_view tail, std::string_view appended, std::span<const Change> changes);

struct Region {
    std::size_t start = 0; // where the line break before the marker, or the marker, begins
    std::vector<Change> changes;
};

// The appended sections of a file's text and the changes they make, when the text has them
// and they read exactly as those changes. firstMarker is where the marker first begins in the
// text, npos when nowhere: a whole file's reader finds it once, in a walk that keeps little of
// the file in memory.
std::optional<Region> findRegion(std::string_view text, std::size_t firstMarker);

// How many bytes at the end of text an append cut short left, 0 when none: the last opening
// line with less after it than it gives, when that is what one section cut short looks like.
// A section that lacks only its final line end reads as the whole one, and is kept.
std::size_t tornLength(std::string_view text);

} // namespace kv::appended
