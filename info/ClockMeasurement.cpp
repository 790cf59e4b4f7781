#include "ClockMeasurement.h"

#include "MillisecondClock.h"
#include "PentiumMMX.h"

#include <cmath>
#include <cstdio>

namespace kv {

namespace {

std::string format(const char* pattern, long double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

TCounter64 readCounter(TPentiumMMX& cpu) {
    TCounter64 c;
    c.High = static_cast<std::uint32_t>(cpu.TimeStampHigh());
    c.Low = static_cast<std::uint32_t>(cpu.TimeStampLow());
    return c;
}

} // namespace

ClockReading clockReading(long double ticks, long double elapsedMs) {
    const long double mhz = ticks / elapsedMs / 1000;
    // The whole numbers round halves away from zero, as llround does.
    const long long wholeMhz = std::llround(mhz);
    if (wholeMhz < 1000)
        return {format("%08.4Lf", mhz) + "MHz", static_cast<std::int32_t>(wholeMhz)};
    const long double ghz = ticks / elapsedMs / 1000000;
    return {format("%.3Lf", ghz) + " GHz", static_cast<std::int32_t>(std::llround(ghz))};
}

ClockReading measureClock(TPentiumMMX& cpu, MillisecondClock& clock) {
    const TCounter64 start = readCounter(cpu);
    const std::uint32_t t0 = clock.now();
    // A signed difference, so the wait also ends across a wrap of the 32-bit clock.
    while (static_cast<std::int32_t>(clock.now() - t0) <= 500) {
    }
    const TCounter64 end = readCounter(cpu);
    const std::uint32_t t1 = clock.now();
    const std::uint32_t elapsed = TPentiumMMX::Interval32(t1, t0);
    const TCounter64 ticks = TPentiumMMX::Interval64(end, start);
    return clockReading(static_cast<long double>(ticks.High) * 4294967296.0L + ticks.Low, elapsed);
}

} // namespace kv
