#include "HostCpu.h"

#include <cpuid.h>
#include <x86intrin.h>

namespace kv {

bool HostCpu::idBitToggles() {
    constexpr std::uint64_t IdBit = 1u << 21;
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    // Flip the ID bit, read the flags back, and restore them.
    asm volatile("pushfq\n\t"
                 "pop %0\n\t"
                 "mov %0, %1\n\t"
                 "xor %2, %1\n\t"
                 "push %1\n\t"
                 "popfq\n\t"
                 "pushfq\n\t"
                 "pop %1\n\t"
                 "push %0\n\t"
                 "popfq"
                 : "=&r"(before), "=&r"(after)
                 : "r"(IdBit)
                 : "cc");
    return ((before ^ after) & IdBit) != 0;
}

CpuidResult HostCpu::cpuid(std::uint32_t eax) {
    CpuidResult r;
    __cpuid(eax, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

std::uint64_t HostCpu::rdtsc() {
    return __rdtsc();
}

} // namespace kv
