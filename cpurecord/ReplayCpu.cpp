#include "ReplayCpu.h"

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
    if (m_nextReading < readings.size())
        m_counter = readings[m_nextReading++];
    else if (m_rdtscCount > 1)
        m_counter += m_recording.counterStep;
    return m_counter;
}

} // namespace kv
