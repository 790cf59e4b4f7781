#include "ProcessorCatalogue.h"

#include "Message.h"

#include <array>
#include <limits>
#include <utility>

namespace kv {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view Intel = "GenuineIntel";
constexpr std::string_view Amd = "AuthenticAMD";
constexpr std::string_view Cyrix = "CyrixInstead";
constexpr std::string_view Idt = "CentaurHauls";
// A Rise processor reports these 12 characters, like every vendor text.
constexpr std::string_view Rise = "RiseRiseRise";
constexpr std::string_view Transmeta = "GenuineTMx86";

struct MakerRow {
    std::string_view vendor;
    std::string_view label;
};

constexpr std::array<MakerRow, 5> Makers = {{
    {Intel, "Intel"},
    {Amd, "AMD"},
    {Cyrix, "Cyrix"},
    {Idt, "IDT"},
    {Rise, "Rise"},
}};

constexpr int Any = -1;

struct ClockRange {
    std::int32_t low;
    std::int32_t high;
};
constexpr ClockRange AnyClock{std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max()};

enum Marks : unsigned { ThreeDNow = 1, Enhanced3DNow = 2, Sse = 4 };

// Stands for "the detail comes from the Cyrix clock table".
constexpr char DetailByClock[] = "(by clock)";

// The first row that matches gives the outputs; a nullptr name or detail leaves it untouched.
struct NameRow {
    std::string_view vendor;
    int family;
    int model;
    int stepping;
    ClockRange clock;
    const char* name;
    const char* detail;
    unsigned marks;
};

// clang-format off
constexpr NameRow Names[] = {
    // Intel
    {Intel, 4, 0, Any, AnyClock, "i486DX Processor", nullptr, 0},
    {Intel, 4, 1, Any, AnyClock, "i486DX Processor", nullptr, 0},
    {Intel, 4, 2, Any, AnyClock, "i486SX Processor", nullptr, 0},
    {Intel, 4, 3, Any, AnyClock, "i486DX2 Processor", nullptr, 0},
    {Intel, 4, 4, Any, AnyClock, "i486SL Processor", nullptr, 0},
    {Intel, 4, 5, Any, AnyClock, "i486SX2 Processor", nullptr, 0},
    {Intel, 4, 7, Any, AnyClock, "WriteBack Enhanced i486DX2 Processor", nullptr, 0},
    {Intel, 4, 8, Any, AnyClock, "Intel DX4 Processor", nullptr, 0},
    {Intel, 5, 1, Any, AnyClock, "Pentium Processor", "(P5) [0.5μ]", 0},
    {Intel, 5, 2, Any, AnyClock, "Pentium Processor", "(P54C) [0.35μ]", 0},
    {Intel, 5, 3, Any, AnyClock, "Pentium OverDrive Processor", "for Intel 486 Processor", 0},
    {Intel, 5, 4, Any, AnyClock, "Pentium Processor w/MMX Tech", "(P55C) [0.35μ]", 0},
    {Intel, 6, 1, Any, AnyClock, "PentiumPro Processor", "150,180,200MHz (P6) [0.35μ]", 0},
    {Intel, 6, 2, Any, AnyClock, "PentiumII Over Drive Processor", "", 0},
    {Intel, 6, 3, Any, AnyClock, "PentiumII Processor with MMX Tech.", "233,266,300MHz (Klamath) [0.35μ]", 0},
    {Intel, 6, 5, 0, AnyClock, "PentiumII / Celeron Processor with MMX tech.", "266,300,333MHz (Desthutes/Convington) [0.25μ]", 0},
    {Intel, 6, 5, 1, AnyClock, "PentiumII / Celeron Processor with MMX tech.", "266,300,333,350,400MHz (Desthutes/Convington) [0.25μ]", 0},
    {Intel, 6, 5, 2, {266, 280}, "Celeron Processor with MMX tech.", "266MHz (Convington) [0.25μ]", 0},
    {Intel, 6, 5, 2, {281, 1000}, "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech.", "300,333,350,400,450MHz (Desthutes/Convington) [0.25μ]", 0},
    {Intel, 6, 5, 3, AnyClock, "PentiumII / PentiumII Xeon Processor with MMX tech.", "350,400,450MHz (Desthutes) [0.25μ]", 0},
    {Intel, 6, 6, 0, AnyClock, "Celeron Processor (with L2-128KB)", "300A,333,366,400,433MHz SEPP (Mendocino) [0.25μ]", 0},
    {Intel, 6, 6, 5, AnyClock, "Celeron Processor (with L2-128KB)", "300A,333,366,400,433,466,500MHz PPGA (Mendocino) [0.25μ]", 0},
    {Intel, 6, 6, Any, AnyClock, "Celeron Processor (with L2-128KB)", nullptr, 0},
    {Intel, 6, 7, 2, AnyClock, "PentiumIII / PentiumIII Xeon Processor", "450,500MHz (Katmai/Tarner) [0.25μ]", Sse},
    {Intel, 6, 7, 3, AnyClock, "PentiumIII / PentiumIII Xeon Processor", "450,500,550,600,533B,600BMHz (Katmai/Tarner) [0.25μ]", Sse},
    {Intel, 6, 7, 4, AnyClock, "PentiumIII", "533B,600BMHz (Katmai) [0.25μ]", Sse},
    {Intel, 6, 7, 5, AnyClock, "PentiumIII", "533B,600BMHz (Coppermine) [0.18μ]", Sse},
    {Intel, 6, 8, 1, AnyClock, QT_TRANSLATE_NOOP("ProcessorCatalogue", "PentiumIII Processor (Coppermine cA2コア)"), "500E,533EB,550E,600E,600EB,650,667,700,733,750MHz", Sse},
    {Intel, 6, 8, 3, AnyClock, QT_TRANSLATE_NOOP("ProcessorCatalogue", "PentiumIII / Celeron Processor (Coppermine cB0コア)"), QT_TRANSLATE_NOOP("ProcessorCatalogue", "500～1000MHz"), Sse},
    {Intel, 6, 8, 6, AnyClock, QT_TRANSLATE_NOOP("ProcessorCatalogue", "PentiumIII / Celeron Processor (Coppermine cC0コア)"), QT_TRANSLATE_NOOP("ProcessorCatalogue", "500～1.13GHz"), Sse},
    {Intel, 6, 8, 10, AnyClock, QT_TRANSLATE_NOOP("ProcessorCatalogue", "PentiumIII / Celeron Processor (Coppermine cD0コア)"), QT_TRANSLATE_NOOP("ProcessorCatalogue", "1～1.13GHz"), Sse},
    {Intel, 7, 1, Any, AnyClock, "Itanium ?", "Itanium [0.18μ]", 0},
    {Intel, 7, Any, Any, AnyClock, nullptr, "Itanium [0.18μ]", 0},
    {Intel, 15, 0, 5, AnyClock, "Pentium4 [0.18μ] Wilamette Engennering Sample", "1.30,1.40,1.50,1.60GHz", Sse},
    {Intel, 15, 0, 7, AnyClock, "Pentium4 [0.18μ] Wilamette", "1.30,1.40,1.50GHz", Sse},
    {Intel, 15, 0, 8, AnyClock, "Pentium4 [0.18μ] Wilamette C-Step", "1.30,1.40,1.50,1.70GHz", Sse},
    // AMD
    {Amd, 5, 0, Any, AnyClock, "AMD-K5 Processor", "75,90,100MHz [0.5μ]", 0},
    {Amd, 5, 1, Any, AnyClock, "AMD-K5 Processor", "120,133MHz [0.5μ]", 0},
    {Amd, 5, 2, Any, AnyClock, "AMD-K5 Processor", "150,166MHz [0.5μ]", 0},
    {Amd, 5, 3, Any, AnyClock, "AMD-K5 Processor", "150,166MHz [0.5μ]", 0},
    {Amd, 5, 6, Any, AnyClock, "K6 MMX Enhanced Processor", "166,200,233MHz [0.35μ]", 0},
    {Amd, 5, 7, Any, AnyClock, "K6 MMX Enhanced Processor", "266,300MHz [0.25μ]", 0},
    {Amd, 5, 8, Any, AnyClock, "K6-2 Processor with 3DNow!! Technology", "266,300,333,366,380,400,450,475,500MHz [2.2v 0.25μ]", ThreeDNow},
    {Amd, 5, 9, Any, AnyClock, "K6-III Processor with 3DNow!! Technology", "400,450,475,500MHz [2.4v 0.25μ]", ThreeDNow},
    {Amd, 6, 0, Any, AnyClock, "Athlon Processor (ES)", "500,550,600,650MHz [1.7v 0.25μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 1, Any, AnyClock, "Athlon Processor", "500,550,600,650MHz [1.7v 0.25μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 2, Any, AnyClock, "Athlon Processor (K75)", "500,550,600,650,700,750,800,850,900,950,1000MHz [0.25μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 3, Any, AnyClock, "Duron Processor (Spitfire)", "550,600,650,700,750,800MHz [0.18μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 4, 2, AnyClock, "Athlon Processor (Thunderbird)", "650,700,750,800,850,900,950MHz,1GHz,1.1GHz,1.2GHz [0.18μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 4, 3, AnyClock, "Athlon Processor (Thunderbird FSB266)", "1.0,1.13,1.2,1.33GHz [0.18μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 4, 4, AnyClock, "Athlon Processor (Palmino)", "1.0,1.13,1.2,1.33GHz [0.13μ]", ThreeDNow | Enhanced3DNow},
    {Amd, 6, 7, Any, AnyClock, "K6 MMX Enhanced Processor", "266,300MHz [0.25μ]", 0},
    {Amd, 6, 8, Any, AnyClock, "K6-2 Processor with 3DNow!! Technology", "266,300,333,366,380,400,450,475,500MHz [2.2v 0.25μ]", ThreeDNow},
    {Amd, 6, 9, Any, AnyClock, "K6-III Processor with 3DNow!! Technology", "400,450,475,500MHz [2.4v 0.25μ]", ThreeDNow},
    {Amd, 7, Any, Any, AnyClock, "Athlon Processor", "500,550,600,650MHz [1.7v 0.25μ]", ThreeDNow | Enhanced3DNow},
    // Cyrix
    {Cyrix, 4, Any, Any, AnyClock, "MediaGX Processor", nullptr, 0},
    {Cyrix, 5, 2, Any, AnyClock, "Cyrix 6x86 or 6x86L Processor", "PR90+,120+,133+,150+,166+,200+", 0},
    {Cyrix, 5, 4, Any, AnyClock, "MediaGXm Processor", "", 0},
    {Cyrix, 6, Any, Any, {100, 220}, "Cyrix 6x86MX Processor", DetailByClock, 0},
    {Cyrix, 6, Any, Any, {221, 360}, QT_TRANSLATE_NOOP("ProcessorCatalogue", "Cyrix ＭII Processor"), DetailByClock, 0},
    {Cyrix, 6, Any, Any, AnyClock, nullptr, DetailByClock, 0},
    // IDT
    {Idt, 5, 4, Any, AnyClock, "WinChip C6 Processor", "180,200,225,240MHz", 0},
    {Idt, 5, 8, 5, AnyClock, "WinChip 2 Processor", "200,225,240,250,266,300MHz", ThreeDNow},
    {Idt, 5, 8, 7, AnyClock, "WinChip 2A Processor", "???MHz", ThreeDNow},
    {Idt, 5, 8, 8, AnyClock, "WinChip 2A Processor", "???MHz", ThreeDNow},
    {Idt, 5, 8, 9, AnyClock, "WinChip 3 Processor", "???MHz", ThreeDNow},
    {Idt, 5, 8, 10, AnyClock, "WinChip 4 Processor", "???MHz", ThreeDNow},
    {Idt, 6, 6, Any, AnyClock, "CyrixIII Processor", "500,533MHz", 0},
    // Rise
    {Rise, Any, Any, Any, AnyClock, "mP6 Processor", "166(PR166),190(PR233),200MHz(PR266)", 0},
    // Transmeta
    {Transmeta, Any, Any, Any, AnyClock, "Crusoe TM5600 Processor", "", 0},
};

// Cyrix family 6: the detail by the measured clock alone, apart from the name's ranges.
struct ClockDetailRow {
    ClockRange clock;
    const char* detail; // nullptr: not touched
};

constexpr ClockDetailRow CyrixClockDetails[] = {
    {{100, 150}, "6x86MX PR166GP [2.9v 60x2.5 0.35μ]"},
    {{151, 180}, "6x86MX PR200GP [2.9v 66x2.5 0.35μ]"},
    {{181, 193}, "6x86MX PR233GP [2.9v 75x2.5 0.35μ]"},
    {{194, 205}, "6x86MX PR233GP [2.9v 66x3 0.35μ]"},
    {{206, 215}, "6x86MX PR266GP [2.9v 83x2.5 0.35μ]"},
    {{216, 237}, QT_TRANSLATE_NOOP("ProcessorCatalogue", "ＭII PR300GP [2.8v 66x3.5 0.25μ]")},
    {{238, 249}, QT_TRANSLATE_NOOP("ProcessorCatalogue", "ＭII PR333GP [2.8v 83x3 0.25μ]")},
    {{250, 310}, nullptr},
    {{311, 360}, QT_TRANSLATE_NOOP("ProcessorCatalogue", "ＭII PR350GP [2.8v 100x3 0.25μ]")},
    {{361, 410}, QT_TRANSLATE_NOOP("ProcessorCatalogue", "ＭII PR400GP [2.8v 100x3.5 0.25μ]")},
};
// clang-format on

// Vendors the name look-up knows; any other gets "未定義".
constexpr std::array<std::string_view, 6> NamedVendors = {Intel, Amd, Cyrix, Idt, Rise, Transmeta};

bool fits(int field, unsigned value) {
    return field == Any || static_cast<unsigned>(field) == value;
}

bool within(const ClockRange& range, std::int32_t clock) {
    return range.low <= clock && clock <= range.high;
}

std::optional<std::string_view> clockDetail(std::int32_t clock) {
    for (const ClockDetailRow& row : CyrixClockDetails)
        if (within(row.clock, clock))
            return row.detail ? std::optional<std::string_view>(row.detail) : std::nullopt;
    return std::nullopt;
}

std::optional<std::pair<std::int32_t, std::int32_t>> clockOf(const ClockRange& range) {
    if (range.low == AnyClock.low && range.high == AnyClock.high)
        return std::nullopt;
    return std::pair{range.low, range.high};
}

std::string field(int value) {
    return value == Any ? std::string() : std::to_string(value);
}

std::string printable(std::string_view vendor) {
    std::string text(vendor);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

} // namespace

MatchFields describeMatch(const ProcessorIdentity& cpu, const ProcessorName& found) {
    if (!found.row)
        return {false,
                printable(cpu.vendor),
                std::to_string(cpu.family),
                std::to_string(cpu.model),
                std::to_string(cpu.stepping),
                std::to_string(cpu.measuredClock)};
    const CatalogueRow& row = *found.row;
    const std::string clock = row.clock
                                  ? std::to_string(row.clock->first) + "-" + std::to_string(row.clock->second)
                                  : std::string();
    return {true, printable(row.vendor), field(row.family), field(row.model), field(row.stepping), clock};
}

std::string_view makerLabel(std::string_view vendor) {
    for (const MakerRow& row : Makers)
        if (row.vendor == vendor)
            return row.label;
    return QT_TRANSLATE_NOOP("ProcessorCatalogue", "未定義");
}

ProcessorName lookUpName(const ProcessorIdentity& cpu) {
    ProcessorName out;
    bool known = false;
    for (std::string_view v : NamedVendors)
        known = known || v == cpu.vendor;
    if (!known) {
        out.name = QT_TRANSLATE_NOOP("ProcessorCatalogue", "未定義");
        out.detail = "";
        return out;
    }
    for (const NameRow& row : Names) {
        if (row.vendor != cpu.vendor || !fits(row.family, cpu.family) || !fits(row.model, cpu.model) ||
            !fits(row.stepping, cpu.stepping) || !within(row.clock, cpu.measuredClock))
            continue;
        if (row.name)
            out.name = row.name;
        if (row.detail == DetailByClock)
            out.detail = clockDetail(cpu.measuredClock);
        else if (row.detail)
            out.detail = row.detail;
        out.threeDNow = row.marks & ThreeDNow;
        out.enhanced3DNow = row.marks & Enhanced3DNow;
        out.sse = row.marks & Sse;
        out.row = CatalogueRow{row.vendor, row.family, row.model, row.stepping, clockOf(row.clock)};
        break;
    }
    return out;
}

} // namespace kv
