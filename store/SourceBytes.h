// The bytes of a registry file as read. A file on disk is mapped, not copied: a load walks it
// once and then looks at a few of its lines, so only the pages being looked at need to stay in
// memory, and the kernel's cache of the file serves the rest when a line is looked at again.
//
// Another program may cut the file short while it is mapped. A page past the new end then
// reads as zeros instead of stopping the program, and the bytes count as lost: whoever holds
// them must read the file again before trusting, or writing, what they said.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kv {

class SourceBytes {
public:
    SourceBytes() = default;
    // Bytes of the program's own, kept in memory.
    explicit SourceBytes(std::string bytes);
    // The first size bytes of the open regular file fd, mapped; the file may be closed after.
    // Where it cannot be mapped they are read into memory. Throws std::system_error when they
    // cannot be read either.
    static SourceBytes of(int fd, std::size_t size);

    SourceBytes(SourceBytes&& other) noexcept;
    SourceBytes& operator=(SourceBytes&& other) noexcept;
    ~SourceBytes();

    std::string_view view() const { return {m_data ? m_data : m_owned.data(), m_size}; }
    std::size_t size() const { return m_size; }
    // Shows only the first size bytes from now on.
    void shorten(std::size_t size);
    // Whether the file was cut short under the mapping, so that some bytes now read as zeros.
    bool lost() const;

    // Lets the pages before offset go, once a walk through them is done: looking at them again
    // maps them again from the kernel's cache. Bytes kept in memory stay.
    void release(std::size_t offset) const;
    // The same for a reader that may look back a few lines from offset: the megabyte before
    // it stays, as a look back into a block let go would map the whole block again.
    void releaseBehind(std::size_t offset) const { release(offset > LookBack ? offset - LookBack : 0); }
    // Calls visit(chunk, offset) for consecutive chunks of 2 MB, letting each go
    // after it, until visit returns true; returns whether one did.
    template <class Visit>
    bool walk(Visit visit) const;
    // Where needle first begins, or npos; found by a walk.
    std::size_t find(std::string_view needle) const;

private:
    static constexpr std::size_t Chunk = std::size_t{2} << 20; // the kernel's largest block of a cached file
    static constexpr std::size_t LookBack = std::size_t{1} << 20;
    static SourceBytes read(int fd, std::size_t size);
    void unmap() noexcept;

    std::string m_owned;              // bytes given
    std::unique_ptr<char[]> m_buffer; // bytes read
    const char* m_data = nullptr;     // the mapping, or the bytes read

    std::size_t m_size = 0;
    std::size_t m_mapped = 0;       // bytes mapped; 0 when kept in memory
    int m_slot = -1;                // the mapping's slot in the guard against cut-short files
    mutable std::size_t m_kept = 0; // pages before this have been let go
};

template <class Visit>
bool SourceBytes::walk(Visit visit) const {
    const std::string_view bytes = view();
    for (std::size_t offset = 0; offset < bytes.size(); offset += Chunk) {
        const std::size_t length = std::min(Chunk, bytes.size() - offset);
        const bool stop = visit(bytes.substr(offset, length), offset);
        release(offset + length);
        if (stop)
            return true;
    }
    return false;
}

} // namespace kv
