// The clock measurement's arithmetic and formats, over a replayed counter and a scripted clock.
#include "ClockMeasurement.h"
#include "Fakes.h"
#include "PentiumMMX.h"
#include "ReplayCpu.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

TEST(ClockMeasurement, FormatsAndRoundsTheClock) {
    struct {
        long double ticks, ms;
        const char* text;
        std::int32_t number;
    } const rows[] = {
        {451e6L, 1000, "451.0000MHz", 451},       {66666667, 1000, "066.6667MHz", 67},
        {999.6e6L, 1000, "1.000 GHz", 1},         {999.4e6L, 1000, "999.4000MHz", 999},
        {99.5e6L, 1000, "099.5000MHz", 100},      {1402e6L, 1000, "1.402 GHz", 1},
        {1.6e9L, 1000, "1.600 GHz", 2},           {2.5e9L, 1000, "2.500 GHz", 3},
        {451e6L / 2, 500.5L, "450.5495MHz", 451},
    };
    for (const auto& r : rows) {
        const ClockReading got = clockReading(r.ticks, r.ms);
        EXPECT_EQ(got.text, r.text);
        EXPECT_EQ(got.clockNumber, r.number) << r.text;
    }
}

struct MeasureCase {
    const char* what;
    std::vector<std::uint64_t> counter; // start High, start Low, end High, end Low readings
    std::uint32_t clockStart, clockStep;
    const char* text;
};

TEST(ClockMeasurement, MeasuresAgainstTheMillisecondsActuallyRead) {
    const MeasureCase cases[] = {
        {"plain", {0, 0, 451'000'000, 451'000'000}, 0, 250, "451.0000MHz"},
        {"counter passes 2^32",
         {0xFFFF'0000, 0xFFFF'0000, 0x1'0000'0000, 0x1'1AE0'B6C0},
         0,
         250,
         "451.0000MHz"},
        {"clock wraps", {0, 0, 451'000'000, 451'000'000}, 0xFFFF'FF00, 250, "451.0000MHz"},
        // 300 ms a reading: the wait ends after 600, the end reading is 900 ms on.
        {"elapsed as read", {0, 0, 451'000'000, 451'000'000}, 0, 300, "501.1111MHz"},
    };
    for (const MeasureCase& c : cases) {
        RecordedProcessor rec;
        rec.counterReadings = c.counter;
        ReplayCpu cpu(rec);
        TPentiumMMX p(cpu);
        test::ManualClock clock;
        clock.time = c.clockStart;
        clock.step = c.clockStep;
        EXPECT_EQ(measureClock(p, clock).text, c.text) << c.what;
        EXPECT_EQ(cpu.rdtscCount(), 4) << c.what;
    }
}

} // namespace
