// ProcessorCatalogue: names the processor for the system page. The maker label comes from the
// vendor text; the name, detail line and instruction marks come from a fixed table keyed by
// vendor, family, model and stepping, and for a few lines by the measured clock. Texts are
// UTF-8, shown exactly as stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kv {

// The label after "CPU 社名：".
std::string_view makerLabel(std::string_view vendor);

struct ProcessorIdentity {
    std::string_view vendor; // the 12 characters of the CPUID vendor text
    unsigned family = 0;
    unsigned model = 0;
    unsigned stepping = 0;
    std::int32_t measuredClock = 0; // MHz below 1000, else GHz; both rounded
};

// The catalogue row a look-up matched: a field of -1 matches any value.
struct CatalogueRow {
    std::string_view vendor;
    int family = -1;
    int model = -1;
    int stepping = -1;
    std::optional<std::pair<std::int32_t, std::int32_t>> clock; // lowest and highest, inclusive
};

// What a catalogue row gives. An output left empty means the page leaves its label as it is;
// a mark only ever sets its feature label, never clears one.
struct ProcessorName {
    std::optional<std::string_view> name;
    std::optional<std::string_view> detail;
    bool threeDNow = false;
    bool enhanced3DNow = false;
    bool sse = false;
    std::optional<CatalogueRow> row; // none when no row matched
};

ProcessorName lookUpName(const ProcessorIdentity& cpu);

// What the name label's hint tells, so that a user can report a processor the catalogue is
// missing: the row that matched, or (when none did) what was looked up. An empty field is one
// the row matches whatever its value; the vendor text shows a control character as "?".
struct MatchFields {
    bool matched = false;
    std::string vendor, family, model, stepping, clock;
};
MatchFields describeMatch(const ProcessorIdentity& cpu, const ProcessorName& found);

} // namespace kv
