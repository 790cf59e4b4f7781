// Memory that a load fills whole at once: the file's bytes, its sections, its keys.
#pragma once

#include <cstddef>

namespace kv {

// Asks the kernel to back the 2 MB stretches that lie wholly within [data, data + size) with
// large pages. Touching fresh memory then costs one fault per 2 MB instead of one per 4 KB,
// which makes loading a 10 MB registry several times faster on machines where faults are dear
// (virtual machines above all). The stretches are wholly used, so no memory is wasted.
// Call it before the memory is first written; elsewhere it does nothing.
void preferLargePages(void* data, std::size_t size);

} // namespace kv
