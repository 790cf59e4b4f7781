// TPentiumMMX over recorded processors, its counter arithmetic, and MmxOperate checked against
// the processor's own MMX unit.
#include "PentiumMMX.h"
#include "ReplayCpu.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace kv;

namespace {

ReplayCpu recorded(const char* file) {
    return ReplayCpu(loadRecordedProcessor(std::string(KAVENDEL_TEST_DATA) + "/" + file));
}

ReplayCpu withLeaves(CpuidResult leaf0, CpuidResult leaf1) {
    RecordedProcessor rec;
    rec.leaves[0] = leaf0;
    rec.leaves[1] = leaf1;
    return ReplayCpu(rec);
}

struct RecordedCase {
    const char* file;
    const char* vendor;
    unsigned family, model, stepping;
    bool rdtsc, mmx, amd, sse, sse2;
};

const RecordedCase RecordedCases[] = {
    {"pentium-mmx.txt", "GenuineIntel", 5, 4, 3, true, true, false, false, false},
    {"pentium-ii-deschutes.txt", "GenuineIntel", 6, 5, 2, true, true, false, false, false},
    {"pentium-iii-katmai.txt", "GenuineIntel", 6, 7, 3, true, true, false, true, false},
    {"k6-2.txt", "AuthenticAMD", 5, 8, 12, true, true, false, false, false},
    // AMD's extended instructions live in the extended leaves, which are not read.
    {"athlon-thunderbird.txt", "AuthenticAMD", 6, 4, 2, true, true, false, false, false},
    {"cyrix-6x86mx.txt", "CyrixInstead", 6, 0, 0, true, true, false, false, false},
    {"rise-mp6.txt", "RiseRiseRise", 5, 0, 0, true, true, false, false, false},
};

TEST(PentiumMMX, ReadsRecordedProcessors) {
    for (const RecordedCase& c : RecordedCases) {
        SCOPED_TRACE(c.file);
        ReplayCpu cpu = recorded(c.file);
        TPentiumMMX p(cpu);
        EXPECT_TRUE(p.CpuIDsupport());
        EXPECT_EQ(p.VendorString().toStdString(), c.vendor);
        EXPECT_EQ(p.Family(), c.family);
        EXPECT_EQ(p.Model(), c.model);
        EXPECT_EQ(p.SteppingID(), c.stepping);
        EXPECT_EQ(p.RDTSCsupport(), c.rdtsc);
        EXPECT_EQ(p.MMXsupport(), c.mmx);
        EXPECT_EQ(p.AMDsupport(), c.amd);
        EXPECT_EQ(p.SSIMDsupport(), c.sse);
        EXPECT_EQ(p.SSIMD2support(), c.sse2);
    }
}

TEST(PentiumMMX, WithoutCpuidFeaturesAreFalseAndNoCpuidRuns) {
    ReplayCpu cpu = recorded("i486-no-cpuid.txt");
    TPentiumMMX p(cpu);
    EXPECT_FALSE(p.CpuIDsupport());
    EXPECT_FALSE(p.RDTSCsupport());
    EXPECT_FALSE(p.MMXsupport());
    EXPECT_FALSE(p.AMDsupport());
    EXPECT_FALSE(p.AMDPlusSupport());
    EXPECT_FALSE(p.SSIMDsupport());
    EXPECT_FALSE(p.SSIMD2support());
    EXPECT_EQ(cpu.cpuidCount(), 0);
    // Asked anyway, the processor looks like one without leaf 1.
    EXPECT_EQ(p.VendorString(), QByteArray(12, '\0'));
    EXPECT_EQ(p.Family(), 0);
}

TEST(PentiumMMX, FeatureBitsAreReadFromLeafOneWhateverTheVendor) {
    ReplayCpu cpu = withLeaves({1, 0x756e6547, 0x6c65746e, 0x49656e69}, {0x543, 0, 0, 0xC0000000});
    TPentiumMMX p(cpu);
    EXPECT_TRUE(p.AMDsupport());
    EXPECT_TRUE(p.AMDPlusSupport());
    EXPECT_FALSE(p.MMXsupport());
}

TEST(PentiumMMX, VendorTextKeepsZeroBytes) {
    ReplayCpu cpu = withLeaves({1, 0x00006241, 0x44434241, 0x41424344}, {});
    TPentiumMMX p(cpu);
    EXPECT_EQ(p.VendorString(), QByteArray("Ab\0\0DCBAABCD", 12));
}

TEST(PentiumMMX, MissingLeafOneRaisesOnlyWhenEnabled) {
    // 0x80000000 is below 1 as a signed number.
    for (std::uint32_t highest : {0u, 0x80000000u}) {
        ReplayCpu cpu = withLeaves({highest, 0, 0, 0}, {0x543, 0, 0, 0xFFFFFFFF});
        TPentiumMMX p(cpu);
        EXPECT_EQ(p.FeatureFlags(), 0u);
        EXPECT_FALSE(p.MMXsupport());
        p.setErrorEnable(true);
        const std::pair<const char*, std::function<void()>> reads[] = {
            {"CPU not supported SteppingID", [&] { p.SteppingID(); }},
            {"CPU not supported Model", [&] { p.Model(); }},
            {"CPU not supported Family", [&] { p.Family(); }},
            {"CPU not supported FeatureFlags", [&] { p.FeatureFlags(); }},
            {"CPU not supported FeatureFlags", [&] { p.SSIMDsupport(); }},
        };
        for (const auto& [message, read] : reads) {
            try {
                read();
                ADD_FAILURE() << "no error for " << message;
            } catch (const EPentiumMMXError& e) {
                EXPECT_STREQ(e.what(), message);
                EXPECT_EQ(e.ErrorCode, 65537u);
            }
        }
        EXPECT_NO_THROW(p.L2Size());
    }
}

TEST(PentiumMMX, EveryReadExecutesItsInstructionsAgain) {
    RecordedProcessor rec =
        loadRecordedProcessor(std::string(KAVENDEL_TEST_DATA) + "/pentium-ii-deschutes.txt");
    rec.counterReadings = {0x1'FFFFFFF0, 0x2'00000010};
    ReplayCpu cpu(rec);
    TPentiumMMX p(cpu);
    EXPECT_EQ(p.Family(), 6);
    EXPECT_EQ(p.Family(), 6);
    EXPECT_EQ(cpu.cpuidCount(), 4); // leaf 0 then leaf 1, each time
    EXPECT_EQ(p.L2Size(), 0x0c040843u);
    // High and low come from two separate readings.
    EXPECT_EQ(p.TimeStampHigh(), 1);
    EXPECT_EQ(p.TimeStampLow(), 0x10);
    EXPECT_EQ(cpu.rdtscCount(), 2);
}

TEST(PentiumMMX, Interval32) {
    struct {
        std::uint32_t later, earlier, expected;
    } const rows[] = {
        {5, 0xFFFFFFFE, 7},
        {1234, 1234, 0},
        {0x10000, 0xFFFF, 1},
        {0, 1, 0xFFFFFFFF},
        {0x12345678, 0x02040608, 0x10305070},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TPentiumMMX::Interval32(r.later, r.earlier), r.expected) << r.later << " - " << r.earlier;
}

TEST(PentiumMMX, Interval64) {
    struct {
        TCounter64 later, earlier, expected;
    } const rows[] = {
        {{1, 0}, {0, 1}, {0, 0xFFFFFFFF}},
        {{0, 0}, {0, 1}, {0xFFFFFFFF, 0xFFFFFFFF}},
        {{0x10000, 0}, {0, 1}, {0xFFFF, 0xFFFFFFFF}},
        {{7, 9}, {7, 9}, {0, 0}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TPentiumMMX::Interval64(r.later, r.earlier), r.expected);
    std::mt19937_64 random(64);
    for (int i = 0; i < 10000; ++i) {
        const std::uint64_t a = random(), b = random();
        const TCounter64 d = TPentiumMMX::Interval64({std::uint32_t(a >> 32), std::uint32_t(a)},
                                                     {std::uint32_t(b >> 32), std::uint32_t(b)});
        ASSERT_EQ((std::uint64_t{d.High} << 32) | d.Low, a - b);
        ASSERT_EQ(TPentiumMMX::Interval32(std::uint32_t(a), std::uint32_t(b)), std::uint32_t(a - b));
    }
    static_assert(offsetof(TCounter64, Low) == 4);
}

TMmxOperand op(std::uint64_t v) {
    return TMmxOperand::fromValue(v);
}

TEST(PentiumMMX, OperandsAreInMemoryOrder) {
    const TMmxOperand a = op(0x0807060504030201);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a.Bytes[i], i + 1);
    EXPECT_EQ(a.value(), 0x0807060504030201u);
}

// Fixed results, so that the processor and the reference cannot agree on a wrong reading.
TEST(PentiumMMX, MmxOperateKnownResults) {
    struct {
        int code;
        std::uint64_t d, s, expected;
    } const rows[] = {
        {0, ~0ull, ~0ull, 0},
        {45, ~0ull, ~0ull, 0},
        {255, ~0ull, ~0ull, 0},
        {2, 0x00FF00FF00FF00FF, 0x0F0F0F0F0F0F0F0F, 0x0F000F000F000F00}, // first operand inverted
        {5, 0x8000FFFF12348001, 16, 0},
        {5, 0x8000FFFF12348001, 15, 0x0001000100000001},
        {8, 0x8000FFFF12347FFF, 16, 0xFFFFFFFF00000000},
        {8, 0x8000FFFF12347FFF, ~0ull, 0xFFFFFFFF00000000},
        {7, 0x8000000000000000, 63, 1},
        {7, 0x8000000000000000, 64, 0},
        {12, 1, 63, 0x8000000000000000},
        {13, 0x7F80000001FF7F80, 0x80807F0000000000, 0xFF000000FF00FF00},
        {19, 0x7FFF8000FF800080, 0x00017F80FF7F8081, 0x017F80807F80807F},
        {21, 0x01FF7FFF8000FFFF, 0x0000000000800100, 0x000080FFFFFF0000},
        {22, 0x0706050403020100, 0xF7F6F5F4F3F2F1F0, 0xF303F202F101F000},
        {27, 0x7766554433221100, 0xFFEEDDCCBBAA9988, 0xFFEEDDCC77665544},
        {28, 0xFF80010000000000, 0x0180FF0000000000, 0xFFFFFF0000000000},
        {30, 0x7F80000000000000, 0x0180000000000000, 0x7F80000000000000},
        {35, 0x0010000000000000, 0x0020000000000000, 0},
        {43, 0x0000000080007FFF, 0x0000000080007FFF, 0x0000000040003FFF},
        {44, 0x0000000080008000, 0x0000000080008000, 0x0000000080000000},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(TPentiumMMX::MmxOperate(r.code, op(r.d), op(r.s)).value(), r.expected) << "code " << r.code;
        EXPECT_EQ(mmxOperateReference(r.code, op(r.d), op(r.s)).value(), r.expected) << "code " << r.code;
    }
}

TEST(PentiumMMX, MmxOperateMatchesTheProcessorOnEveryCode) {
#if !(defined(__x86_64__) || defined(__i386__))
    GTEST_SKIP() << "no MMX unit to compare with";
#endif
    // Zero, all ones, each lane type's minimum and maximum, and shift counts round the widths.
    const std::uint64_t edges[] = {0,
                                   ~0ull,
                                   0x8080808080808080,
                                   0x7F7F7F7F7F7F7F7F,
                                   0x8000800080008000,
                                   0x7FFF7FFF7FFF7FFF,
                                   0x8000000080000000,
                                   0x7FFFFFFF7FFFFFFF,
                                   0x8000000000000000,
                                   0x7FFFFFFFFFFFFFFF,
                                   0x00FF00FF00FF00FF,
                                   15,
                                   16,
                                   31,
                                   32,
                                   63,
                                   64,
                                   0x100000000,
                                   0xFFFFFFFF00000000};
    std::mt19937_64 random(44);
    for (int code = 1; code <= 44; ++code) {
        SCOPED_TRACE(mmxMnemonic(code));
        const auto check = [code](std::uint64_t d, std::uint64_t s) {
            const auto hardware = TPentiumMMX::MmxOperate(code, op(d), op(s)).value();
            const auto reference = mmxOperateReference(code, op(d), op(s)).value();
            if (hardware != reference) {
                ADD_FAILURE() << std::hex << "d=" << d << " s=" << s << " processor " << hardware
                              << " reference " << reference;
                return false;
            }
            return true;
        };
        for (std::uint64_t d : edges)
            for (std::uint64_t s : edges)
                ASSERT_TRUE(check(d, s));
        const bool shift = code >= 5 && code <= 12;
        for (int i = 0; i < 10000; ++i) {
            const std::uint64_t d = random();
            // Shifts mostly get counts near the lane widths; a random 64-bit count is always huge.
            const std::uint64_t s = shift && i % 4 != 0 ? random() % 70 : random();
            ASSERT_TRUE(check(d, s));
        }
    }
}

} // namespace
