#include "LargePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace kv {

void preferLargePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t Large = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + Large - 1) & ~(Large - 1);
    const std::uintptr_t end = (start + size) & ~(Large - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // a hint: failure is harmless
#else
    (void)data;
    (void)size;
#endif
}

} // namespace kv
