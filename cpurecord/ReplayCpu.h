// ReplayCpu: a recorded processor played back through the CPU seam, so that the program and
// its tests can run as if on another machine.
#pragma once

#include "CpuInstructions.h"
#include "RecordedProcessor.h"

namespace kv {

class MillisecondClock;

class ReplayCpu final : public CpuInstructions {
public:
    // Once its readings run out, the counter runs on at the recorded rate with clock, the
    // program's millisecond clock (the system's monotonic one when none is given), so that a
    // measurement against that clock finds the recorded rate however often it reads.
    explicit ReplayCpu(RecordedProcessor recording = {}, MillisecondClock* clock = nullptr)
        : m_recording(std::move(recording))
        , m_clock(clock) {}

    // Without CPUID every leaf reads as four zero registers, so the processor looks like one
    // that reports no leaf above 0; so does a leaf that was not recorded.
    bool idBitToggles() override;
    CpuidResult cpuid(std::uint32_t eax) override;
    std::uint64_t rdtsc() override;

    RecordedProcessor& recording() { return m_recording; }
    // How often each instruction ran, so tests can tell whether it ran at all.
    int cpuidCount() const { return m_cpuidCount; }
    int rdtscCount() const { return m_rdtscCount; }

private:
    RecordedProcessor m_recording;
    MillisecondClock* m_clock;
    std::size_t m_nextReading = 0;
    std::uint64_t m_counter = 0;     // the last reading played
    std::uint32_t m_counterAtMs = 0; // the clock when it was played
    std::uint64_t m_runningMs = 0;   // milliseconds the counter has run since
    int m_cpuidCount = 0;
    int m_rdtscCount = 0;
};

} // namespace kv
