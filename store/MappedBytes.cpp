#include "MappedBytes.h"

#include "FileDescriptor.h"
#include "FileFailure.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace kv {

namespace {

const char* const Unreadable = QT_TRANSLATE_NOOP("RegistryFile", "読み込めません");

// The kernel's largest block of a cached file.
constexpr std::size_t Block = std::size_t{2} << 20;

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

// A file mapped, guarded against being cut short, whose pages a reader done with them lets go.
class Mapping final : public SourceBytes::Holder {
public:
    Mapping(const char* data, std::size_t size, int slot)
        : m_data(data)
        , m_size(size)
        , m_slot(slot) {}
    ~Mapping() override {
        freeSlot(m_slot);
        ::munmap(const_cast<char*>(m_data), m_size);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    // Looking at the pages again maps them again from the kernel's cache. The kernel maps a
    // whole block at the first look at any of its bytes: only blocks wholly behind offset stay
    // let go.
    void doneBefore(std::size_t offset) override {
        if (offset < m_kept)
            m_kept = 0; // a walk from the start again
        const std::size_t end = std::min(offset, m_size) & ~(Block - 1);
        if (end <= m_kept)
            return;
        ::madvise(const_cast<char*>(m_data) + m_kept, end - m_kept, MADV_DONTNEED);
        m_kept = end;
    }
    bool lost() const override { return slots[m_slot].lost.load(); }

private:
    const char* m_data;
    std::size_t m_size;
    int m_slot;
    std::size_t m_kept = 0; // pages before this have been let go
};

// Into a buffer of its own, left unfilled until read: the bytes are all overwritten.
SourceBytes readIntoMemory(int fd, std::size_t size) {
    auto buffer = std::make_unique_for_overwrite<char[]>(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer.get() + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const std::error_code reason = lastSystemReason();
            throw Failure(Message{{}, "RegistryFile", Unreadable, {}}, reason);
        }
        if (n == 0)
            break; // cut short since its size was taken
        done += static_cast<std::size_t>(n);
    }
    return SourceBytes(std::move(buffer), done);
}

} // namespace

SourceBytes readBytes(int fd, std::size_t size) {
    if (size == 0)
        return SourceBytes();
    if (size < Block)
        return readIntoMemory(fd, size); // as cheap to hold as to map, and cheaper to get
    installGuard();
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        return readIntoMemory(fd, size);
    const int slot = claimSlot(static_cast<const char*>(data), size);
    if (slot < 0) {
        ::munmap(data, size);
        return readIntoMemory(fd, size);
    }
    const char* bytes = static_cast<const char*>(data);
    return SourceBytes(bytes, size, std::make_unique<Mapping>(bytes, size, slot));
}

RegularFile readRegularFile(const std::filesystem::path& file) {
    const char* const notRegular = QT_TRANSLATE_NOOP("RegistryFile", "通常のファイルではありません");
    RegularFile out;
    if (::stat(file.c_str(), &out.st) != 0)
        failOnFile(file, Unreadable, lastSystemReason());
    if (!S_ISREG(out.st.st_mode))
        failOnFile(file, notRegular);
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &out.st) != 0)
        failOnFile(file, Unreadable, lastSystemReason());
    if (!S_ISREG(out.st.st_mode))
        failOnFile(file, notRegular); // replaced since the look before opening
    try {
        out.bytes = readBytes(fd.get(), static_cast<std::size_t>(out.st.st_size));
    } catch (const Failure& e) {
        failOnFile(file, Unreadable, e.reason());
    }
    return out;
}

} // namespace kv
