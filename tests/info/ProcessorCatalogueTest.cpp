// The maker and name look-ups, as rows grouped by vendor.
#include "ProcessorCatalogue.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

TEST(ProcessorCatalogue, MakerLabels) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"GenuineIntel", "Intel"},   {"AuthenticAMD", "AMD"},  {"CyrixInstead", "Cyrix"},
        {"CentaurHauls", "IDT"},     {"RiseRiseRise", "Rise"}, {"GenuineTMx86", "未定義"},
        {"RiseRiseRises", "未定義"}, {"", "未定義"},
    };
    for (const auto& [vendor, label] : rows)
        EXPECT_EQ(makerLabel(vendor), label) << vendor;
}

constexpr const char* Untouched = nullptr;
enum : unsigned { None = 0, Now = 1, Enh = 2, Sse = 4 };

struct NameCase {
    const char* vendor;
    unsigned family, model, stepping;
    std::int32_t clock;
    const char* name;
    const char* detail;
    unsigned marks;
};

const NameCase Cases[] = {
    // Intel
    {"GenuineIntel", 4, 3, 0, 0, "i486DX2 Processor", Untouched, None},
    {"GenuineIntel", 5, 4, 3, 166, "Pentium Processor w/MMX Tech", "(P55C) [0.35μ]", None},
    {"GenuineIntel", 6, 2, 0, 0, "PentiumII Over Drive Processor", "", None},
    {"GenuineIntel", 6, 4, 0, 300, Untouched, Untouched, None},
    {"GenuineIntel", 6, 5, 2, 250, Untouched, Untouched, None},
    {"GenuineIntel", 6, 5, 2, 266, "Celeron Processor with MMX tech.", "266MHz (Convington) [0.25μ]", None},
    {"GenuineIntel", 6, 5, 2, 280, "Celeron Processor with MMX tech.", "266MHz (Convington) [0.25μ]", None},
    {"GenuineIntel", 6, 5, 2, 281, "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech.",
     "300,333,350,400,450MHz (Desthutes/Convington) [0.25μ]", None},
    {"GenuineIntel", 6, 5, 2, 999, "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech.",
     "300,333,350,400,450MHz (Desthutes/Convington) [0.25μ]", None},
    {"GenuineIntel", 6, 5, 2, 1, Untouched, Untouched, None},
    {"GenuineIntel", 6, 6, 0, 0, "Celeron Processor (with L2-128KB)",
     "300A,333,366,400,433MHz SEPP (Mendocino) [0.25μ]", None},
    {"GenuineIntel", 6, 6, 10, 0, "Celeron Processor (with L2-128KB)", Untouched, None},
    {"GenuineIntel", 6, 7, 3, 0, "PentiumIII / PentiumIII Xeon Processor",
     "450,500,550,600,533B,600BMHz (Katmai/Tarner) [0.25μ]", Sse},
    {"GenuineIntel", 6, 8, 10, 1, "PentiumIII / Celeron Processor (Coppermine cD0コア)", "1～1.13GHz", Sse},
    {"GenuineIntel", 6, 8, 2, 0, Untouched, Untouched, None},
    {"GenuineIntel", 7, 1, 0, 0, "Itanium ?", "Itanium [0.18μ]", None},
    {"GenuineIntel", 7, 2, 0, 0, Untouched, "Itanium [0.18μ]", None},
    {"GenuineIntel", 15, 0, 7, 2, "Pentium4 [0.18μ] Wilamette", "1.30,1.40,1.50GHz", Sse},
    {"GenuineIntel", 15, 1, 7, 2, Untouched, Untouched, None},
    {"GenuineIntel", 3, 0, 0, 0, Untouched, Untouched, None},
    {"GenuineIntel", 14, 0, 0, 0, Untouched, Untouched, None},
    // AMD
    {"AuthenticAMD", 5, 8, 12, 350, "K6-2 Processor with 3DNow!! Technology",
     "266,300,333,366,380,400,450,475,500MHz [2.2v 0.25μ]", Now},
    {"AuthenticAMD", 6, 4, 2, 1, "Athlon Processor (Thunderbird)",
     "650,700,750,800,850,900,950MHz,1GHz,1.1GHz,1.2GHz [0.18μ]", Now | Enh},
    {"AuthenticAMD", 6, 4, 5, 1, Untouched, Untouched, None},
    {"AuthenticAMD", 7, 3, 1, 0, "Athlon Processor", "500,550,600,650MHz [1.7v 0.25μ]", Now | Enh},
    {"AuthenticAMD", 4, 0, 0, 0, Untouched, Untouched, None},
    // Cyrix: family 6 by the clock, name and detail each on their own ranges
    {"CyrixInstead", 4, 7, 0, 0, "MediaGX Processor", Untouched, None},
    {"CyrixInstead", 5, 4, 0, 0, "MediaGXm Processor", "", None},
    {"CyrixInstead", 6, 0, 0, 218, "Cyrix 6x86MX Processor", "ＭII PR300GP [2.8v 66x3.5 0.25μ]", None},
    {"CyrixInstead", 6, 0, 0, 100, "Cyrix 6x86MX Processor", "6x86MX PR166GP [2.9v 60x2.5 0.35μ]", None},
    {"CyrixInstead", 6, 2, 0, 300, "Cyrix ＭII Processor", Untouched, None},
    {"CyrixInstead", 6, 2, 0, 400, Untouched, "ＭII PR400GP [2.8v 100x3.5 0.25μ]", None},
    {"CyrixInstead", 6, 0, 0, 99, Untouched, Untouched, None},
    {"CyrixInstead", 6, 0, 0, -200, Untouched, Untouched, None},
    // IDT
    {"CentaurHauls", 5, 8, 8, 0, "WinChip 2A Processor", "???MHz", Now},
    {"CentaurHauls", 5, 8, 6, 0, Untouched, Untouched, None},
    {"CentaurHauls", 6, 6, 0, 0, "CyrixIII Processor", "500,533MHz", None},
    // Rise reports 12 characters like every vendor; a 13-character text can never come.
    {"RiseRiseRise", 5, 0, 0, 0, "mP6 Processor", "166(PR166),190(PR233),200MHz(PR266)", None},
    {"RiseRiseRises", 5, 0, 0, 0, "未定義", "", None},
    {"GenuineTMx86", 5, 4, 0, 0, "Crusoe TM5600 Processor", "", None},
    {"UnknownCPUxx", 6, 0, 0, 0, "未定義", "", None},
};

std::string shown(const std::optional<std::string_view>& text) {
    return text ? std::string(*text) : std::string("(untouched)");
}

TEST(ProcessorCatalogue, NameLookUp) {
    for (const NameCase& c : Cases) {
        const ProcessorName got = lookUpName({c.vendor, c.family, c.model, c.stepping, c.clock});
        SCOPED_TRACE(testing::Message() << c.vendor << " " << c.family << "/" << c.model << "/" << c.stepping
                                        << " @" << c.clock);
        EXPECT_EQ(shown(got.name), c.name ? c.name : "(untouched)");
        EXPECT_EQ(shown(got.detail), c.detail ? c.detail : "(untouched)");
        EXPECT_EQ(got.threeDNow, (c.marks & Now) != 0);
        EXPECT_EQ(got.enhanced3DNow, (c.marks & Enh) != 0);
        EXPECT_EQ(got.sse, (c.marks & Sse) != 0);
    }
}

TEST(ProcessorCatalogue, TheNameHintNamesTheMatchedRowOrWhatWasLookedUp) {
    struct Row {
        ProcessorIdentity cpu;
        MatchFields fields;
    } rows[] = {
        {{"GenuineIntel", 6, 5, 2, 266}, {true, "GenuineIntel", "6", "5", "2", "266-280"}},
        {{"GenuineIntel", 6, 6, 9, 400}, {true, "GenuineIntel", "6", "6", "", ""}},
        {{"RiseRiseRise", 5, 0, 4, 0}, {true, "RiseRiseRise", "", "", "", ""}},
        {{"GenuineIntel", 6, 5, 2, 250}, {false, "GenuineIntel", "6", "5", "2", "250"}},
        {{"Geode by NSC", 5, 10, 2, 1}, {false, "Geode by NSC", "5", "10", "2", "1"}},
        {{std::string_view("\0\0\0\0\0\0\0\0\0\0\0\0", 12), 0, 0, 0, 0},
         {false, "????????????", "0", "0", "0", "0"}},
    };
    for (const Row& row : rows) {
        const MatchFields got = describeMatch(row.cpu, lookUpName(row.cpu));
        const auto text = [](const MatchFields& f) {
            return std::string(f.matched ? "row " : "none ") + f.vendor + "/" + f.family + "/" + f.model +
                   "/" + f.stepping + "/" + f.clock;
        };
        EXPECT_EQ(text(got), text(row.fields));
    }
}

} // namespace
