// The processor clock, measured with the time-stamp counter against the millisecond clock,
// and its two forms: the text of the clock label and the whole number the catalogue uses.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class MillisecondClock;
class TPentiumMMX;

struct ClockReading {
    std::string text;         // "451.0316MHz" or "1.402 GHz"
    std::int32_t clockNumber; // rounded MHz below 1000, else rounded GHz
};

// ticks counted over elapsedMs milliseconds.
ClockReading clockReading(long double ticks, long double elapsedMs);

// Reads the counter, busy-waits until the millisecond clock has moved on by more than 500,
// reads the counter again and divides by the milliseconds actually read after it. Processes
// no events meanwhile.
ClockReading measureClock(TPentiumMMX& cpu, MillisecondClock& clock);

} // namespace kv
