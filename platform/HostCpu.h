// The processor this program runs on, through its own instructions (x86-64).
#pragma once

#include "CpuInstructions.h"

namespace kv {

class HostCpu final : public CpuInstructions {
public:
    bool idBitToggles() override;
    CpuidResult cpuid(std::uint32_t eax) override;
    std::uint64_t rdtsc() override;
};

} // namespace kv
