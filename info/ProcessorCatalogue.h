// ProcessorCatalogue: names the processor for the system page. The maker label comes from the
// vendor text; the name, detail line and instruction marks come from a fixed table keyed by
// vendor, family, model and stepping, and for a few lines by the measured clock. Texts are
// UTF-8, shown exactly as stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

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

// What a catalogue row gives. An output left empty means the page leaves its label as it is;
// a mark only ever sets its feature label, never clears one.
struct ProcessorName {
    std::optional<std::string_view> name;
    std::optional<std::string_view> detail;
    bool threeDNow = false;
    bool enhanced3DNow = false;
    bool sse = false;
};

ProcessorName lookUpName(const ProcessorIdentity& cpu);

} // namespace kv
