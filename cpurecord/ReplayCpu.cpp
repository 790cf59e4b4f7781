#include "ReplayCpu.h"

#include "MillisecondClock.h"

namespace kv {

bool ReplayCpu::idBitToggles() {
    return m_recording.idBitToggles;
}

CpuidResult ReplayCpu::cpuid(std::uint32_t eax) {
    ++m_cpuidCount;
    if (!m_recording.idBitToggles)
        return {};
    const auto it = m_recording.leaves.find(eax);
    return it == m_recording.leaves.end() ? CpuidResult{} : it->second;
}

std::uint64_t ReplayCpu::rdtsc() {
    ++m_rdtscCount;
    const auto& readings = m_recording.counterReadings;
    const bool played = m_nextReading < readings.size();
    if (played)
        m_counter = readings[m_nextReading++];
    const std::uint64_t hz = m_recording.counterHz;
    if (hz == 0)
        return m_counter;
    // Only a running counter reads the clock, which a test's clock may count.
    static MonotonicClock systemClock;
    const std::uint32_t now = (m_clock ? *m_clock : static_cast<MillisecondClock&>(systemClock)).now();
    // The difference of two 32-bit clock readings, so that a wrap of the clock is no jump.
    m_runningMs =
        played || m_rdtscCount == 1 ? 0 : m_runningMs + static_cast<std::uint32_t>(now - m_counterAtMs);
    m_counterAtMs = now;
    return m_counter + hz / 1000 * m_runningMs + hz % 1000 * m_runningMs / 1000;
}

} // namespace kv
