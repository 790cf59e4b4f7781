// CpuInstructions: the processor instructions the system page relies on, behind a seam so
// tests can replay a recorded processor.
#pragma once

#include <cstdint>

namespace kv {

struct CpuidResult {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class CpuInstructions {
public:
    virtual ~CpuInstructions() = default;
    // Whether the flags register's ID bit (bit 21) can be toggled, i.e. CPUID exists.
    virtual bool idBitToggles() = 0;
    virtual CpuidResult cpuid(std::uint32_t eax) = 0;
    virtual std::uint64_t rdtsc() = 0;
};

} // namespace kv
