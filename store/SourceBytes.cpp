#include "SourceBytes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

// The mappings that a bus error may hit when their file is cut short. The handler reads them
// without a lock, so a slot's range is published after the mapping exists and withdrawn before
// it goes.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0}, end{0};
    std::atomic<bool> lost{false};
};
constexpr int SlotCount = 64;
Slot slots[SlotCount];
struct sigaction previousHandler {};
std::uintptr_t pageSize = 4096;

// A page past the end of a file cut short: zeros take its place, and the mapping's bytes
// count as lost. Any other bus error is handled as it was before this handler came.
void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= slot.end.load(std::memory_order_acquire))
            continue;
        void* page = reinterpret_cast<void*>(address & ~(pageSize - 1));
        if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
            break;
        slot.lost.store(true);
        return;
    }
    if (previousHandler.sa_flags & SA_SIGINFO) {
        previousHandler.sa_sigaction(signal, info, context);
    } else if (previousHandler.sa_handler != SIG_DFL && previousHandler.sa_handler != SIG_IGN) {
        previousHandler.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);
        ::raise(SIGBUS); // delivered on return, ending the program as it would have ended
    }
}

void installGuard() {
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousHandler);
    });
}

int claimSlot(const char* data, std::size_t size) {
    for (int i = 0; i < SlotCount; ++i) {
        bool free = false;
        if (!slots[i].taken.compare_exchange_strong(free, true))
            continue;
        slots[i].lost.store(false);
        slots[i].end.store(reinterpret_cast<std::uintptr_t>(data) + size, std::memory_order_release);
        slots[i].begin.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
        return i;
    }
    return -1;
}

void freeSlot(int slot) {
    slots[slot].begin.store(0, std::memory_order_release);
    slots[slot].end.store(0, std::memory_order_release);
    slots[slot].taken.store(false);
}

} // namespace

SourceBytes::SourceBytes(std::string bytes)
    : m_owned(std::move(bytes))
    , m_size(m_owned.size()) {}

SourceBytes SourceBytes::of(int fd, std::size_t size) {
    if (size == 0)
        return SourceBytes();
    if (size < Chunk)
        return read(fd, size); // as cheap to hold as to map, and cheaper to get
    installGuard();
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        return read(fd, size);
    const int slot = claimSlot(static_cast<const char*>(data), size);
    if (slot < 0) {
        ::munmap(data, size);
        return read(fd, size);
    }
    SourceBytes out;
    out.m_data = static_cast<const char*>(data);
    out.m_size = out.m_mapped = size;
    out.m_slot = slot;
    return out;
}

// Into a buffer of its own, left unfilled until read: the bytes are all overwritten.
SourceBytes SourceBytes::read(int fd, std::size_t size) {
    SourceBytes out;
    out.m_buffer = std::make_unique_for_overwrite<char[]>(size);
    out.m_data = out.m_buffer.get();
    while (out.m_size < size) {
        const ssize_t n = ::pread(fd, out.m_buffer.get() + out.m_size, size - out.m_size,
                                  static_cast<off_t>(out.m_size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::system_error(errno, std::generic_category(), "read");
        if (n == 0)
            break; // cut short since its size was taken
        out.m_size += static_cast<std::size_t>(n);
    }
    return out;
}

SourceBytes::SourceBytes(SourceBytes&& other) noexcept
    : m_owned(std::move(other.m_owned))
    , m_buffer(std::move(other.m_buffer))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_mapped(std::exchange(other.m_mapped, 0))
    , m_slot(std::exchange(other.m_slot, -1))
    , m_kept(std::exchange(other.m_kept, 0)) {}

SourceBytes& SourceBytes::operator=(SourceBytes&& other) noexcept {
    if (this != &other) {
        unmap();
        m_owned = std::move(other.m_owned);
        m_buffer = std::move(other.m_buffer);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapped = std::exchange(other.m_mapped, 0);
        m_slot = std::exchange(other.m_slot, -1);
        m_kept = std::exchange(other.m_kept, 0);
    }
    return *this;
}

SourceBytes::~SourceBytes() {
    unmap();
}

void SourceBytes::unmap() noexcept {
    if (!m_mapped)
        return;
    freeSlot(m_slot);
    ::munmap(const_cast<char*>(m_data), m_mapped);
    m_data = nullptr;
    m_mapped = m_size = 0;
    m_slot = -1;
}

void SourceBytes::shorten(std::size_t size) {
    m_size = std::min(m_size, size);
    if (!m_data)
        m_owned.resize(m_size);
}

bool SourceBytes::lost() const {
    return m_slot >= 0 && slots[m_slot].lost.load();
}

void SourceBytes::release(std::size_t offset) const {
    if (!m_mapped)
        return;
    if (offset < m_kept)
        m_kept = 0; // a walk from the start again
    // The kernel caches a file in blocks of up to 2 MB and maps a whole block at the first look
    // at any of its bytes: only blocks wholly behind offset stay let go.
    const std::size_t end = std::min(offset, m_mapped) & ~(Chunk - 1);
    if (end <= m_kept)
        return;
    ::madvise(const_cast<char*>(m_data) + m_kept, end - m_kept, MADV_DONTNEED);
    m_kept = end;
}

std::size_t SourceBytes::find(std::string_view needle) const {
    const std::string_view bytes = view();
    std::size_t found = std::string_view::npos;
    walk([&](std::string_view chunk, std::size_t offset) {
        // Reaching into the next chunk finds a needle that a chunk's end cuts.
        const std::string_view reach = bytes.substr(offset, chunk.size() + needle.size() - 1);
        const std::size_t at = reach.find(needle);
        if (at != std::string_view::npos)
            found = offset + at;
        return found != std::string_view::npos;
    });
    return found;
}

} // namespace kv
