// MillisecondClock: a 32-bit millisecond counter that wraps, like the system's multimedia timer.
#pragma once

#include <cstdint>

namespace kv {

class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    virtual std::uint32_t now() = 0;
};

// CLOCK_MONOTONIC in milliseconds, cut to 32 bits.
class MonotonicClock final : public MillisecondClock {
public:
    std::uint32_t now() override;
};

} // namespace kv
