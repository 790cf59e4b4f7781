// The three recording formats: the program's replay text and the raw dumps of `cpuid -r` and
// `cpuid_tool --save`, the dumps taken on a real machine.
#include "Fakes.h"
#include "RecordedProcessor.h"
#include "ReplayCpu.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

const std::string Data = KAVENDEL_TEST_DATA;

std::string vendorOf(const RecordedProcessor& rec) {
    const CpuidResult& leaf0 = rec.leaves.at(0);
    std::string text;
    for (std::uint32_t reg : {leaf0.ebx, leaf0.edx, leaf0.ecx})
        for (int byte = 0; byte < 4; ++byte)
            text += static_cast<char>(reg >> (8 * byte) & 0xFF);
    return text;
}

TEST(RecordedProcessor, ReadsTheFirstProcessorOfEachDump) {
    for (const char* file : {"host-cpuid-r.txt", "host-cpuid-tool.txt"}) {
        SCOPED_TRACE(file);
        const RecordedProcessor rec = loadRecordedProcessor(Data + "/" + file);
        EXPECT_TRUE(rec.idBitToggles);
        EXPECT_EQ(vendorOf(rec), "AuthenticAMD");
        EXPECT_EQ(rec.leaves.at(1).eax, 0x00a00f11u);
        EXPECT_EQ(rec.leaves.at(1).ebx, 0x00020800u); // processor 0's APIC id, not processor 1's
        EXPECT_EQ(rec.leaves.at(0x80000000).eax, 0x80000021u);
        EXPECT_EQ(rec.leaves.at(0x80000008).eax, 0x00303030u);
        EXPECT_TRUE(rec.counterReadings.empty());
    }
}

TEST(RecordedProcessor, TheTwoDumpsOfOneMachineAgreeOnTheLeavesBothHold) {
    const RecordedProcessor plain = loadRecordedProcessor(Data + "/host-cpuid-r.txt");
    const RecordedProcessor tool = loadRecordedProcessor(Data + "/host-cpuid-tool.txt");
    int common = 0;
    for (const auto& [leaf, r] : plain.leaves) {
        const auto other = tool.leaves.find(leaf);
        if (other == tool.leaves.end())
            continue;
        ++common;
        const CpuidResult& o = other->second;
        EXPECT_TRUE(r.eax == o.eax && r.ebx == o.ebx && r.ecx == o.ecx && r.edx == o.edx) << std::hex << leaf;
    }
    EXPECT_GE(common, 20);
}

TEST(RecordedProcessor, ReadsTheReplayFormat) {
    const RecordedProcessor rec = parseRecordedProcessor("# a comment\r\n"
                                                         "cpuid no\r\n"
                                                         "vendor CentaurHauls   # IDT\n"
                                                         "leaf 2 1 2 3 0x4\n"
                                                         "leaf 0x80000000 80000001 0 0 0\n"
                                                         "tsc 0x10 20\n"
                                                         "clock 5 kHz\n");
    EXPECT_FALSE(rec.idBitToggles);
    EXPECT_EQ(vendorOf(rec), "CentaurHauls");
    EXPECT_EQ(rec.leaves.at(2).edx, 4u);
    EXPECT_EQ(rec.leaves.at(0x80000000).eax, 0x80000001u);
    test::ManualClock clock;
    clock.step = 3;
    ReplayCpu cpu(rec, &clock);
    EXPECT_EQ(cpu.rdtsc(), 16u);
    EXPECT_EQ(cpu.rdtsc(), 20u);
    EXPECT_EQ(cpu.rdtsc(), 35u);     // 3 ms on at 5 per ms
    EXPECT_EQ(cpu.cpuid(2).edx, 0u); // without CPUID every leaf reads as zero
}

TEST(RecordedProcessor, AVendorTextMayHoldBlanks) {
    struct Case {
        const char* line;
        const char* vendor;
    } cases[] = {
        {"vendor Geode by NSC", "Geode by NSC"},
        {"vendor   Geode by NSC  ", "Geode by NSC"},
        {"vendor \"UMC UMC UMC \"", "UMC UMC UMC "},
        {"vendor \"GenuineIntel\" # quoted", "GenuineIntel"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vendorOf(parseRecordedProcessor(c.line)), c.vendor) << c.line;
}

TEST(RecordedProcessor, NamesTheLineItCannotRead) {
    const char* bad[] = {
        // the replay format
        "\ncpuid maybe",
        "\nvendor Short",
        "\nvendor UMC UMC UMC \"",
        "\nleaf 1 0 0 0",
        "\nleaf 1 0 0 0 xyz",
        "\ntsc +1 2",
        "\nclock 166",
        "\nclock 166 GHz",
        "\nclock 0 MHz",
        "\nmmx yes",
        // cpuid -r
        "CPU 0:\n   0x00000000 0x00: eax=0x00000001 ebx=0x0 ecx=0x0",
        "CPU 0:\n   0x00000000 0x00 eax=0x00000001 ebx=0x0 ecx=0x0 edx=0x0",
        "CPU 0:\n   0x00000000 0x00: eax=0x00000001 ebx=0x0 ecx=0x0 edx=zero",
        // cpuid_tool --save
        "version=0.6.2\nbasic_cpuid[x]=1 2 3 4",
        "version=0.6.2\nbasic_cpuid[0]=1 2 3",
        "version=0.6.2\nsomething else",
    };
    for (const char* text : bad) {
        try {
            parseRecordedProcessor(text, "cpu.txt");
            ADD_FAILURE() << "accepted " << text;
        } catch (const Failure& e) {
            EXPECT_EQ(std::string(e.what()).rfind("cpu.txt:2: ", 0), 0u) << e.what();
        }
    }
}

TEST(RecordedProcessor, ADumpWithoutLeafZeroIsRefused) {
    for (const char* text : {"CPU 0:\n   0x00000001 0x00: eax=0x1 ebx=0x0 ecx=0x0 edx=0x0\n",
                             "version=0.6.2\next_cpuid[0]=80000008 0 0 0\n"})
        EXPECT_THROW(parseRecordedProcessor(text, "cpu.txt"), Failure) << text;
    EXPECT_THROW(loadRecordedProcessor(Data + "/no-such-recording.txt"), Failure);
}

} // namespace
} // namespace kv
