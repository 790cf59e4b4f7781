// The bytes of a registry file as the model reads them: bytes of the program's own, or bytes
// that a holder keeps for it, such as a file mapped into memory.
//
// A load walks the bytes once and then looks at a few of its lines. As it goes it tells the
// holder which bytes it is done with, so that a holder of a large file need keep in memory only
// what is being looked at. A holder may also lose bytes (a file cut short under its mapping
// reads as zeros past its new end): whoever holds lost bytes must read them again before
// trusting, or writing, what they said.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kv {

class SourceBytes {
public:
    // Keeps the bytes of a SourceBytes for as long as it lives.
    class Holder {
    public:
        virtual ~Holder() = default;
        // The reader is done with the bytes before offset for now: looking at them again may
        // cost more. A walk from the start again gives a smaller offset.
        virtual void doneBefore(std::size_t offset) = 0;
        // Whether some bytes no longer read as they were.
        virtual bool lost() const = 0;
    };

    SourceBytes() = default;
    // Bytes of the program's own, kept in memory.
    explicit SourceBytes(std::string bytes);
    // The first size bytes of buffer, kept in memory: bytes read from a file, say.
    SourceBytes(std::unique_ptr<char[]> buffer, std::size_t size);
    // The size bytes at data, which holder keeps.
    SourceBytes(const char* data, std::size_t size, std::unique_ptr<Holder> holder);

    SourceBytes(SourceBytes&& other) noexcept;
    SourceBytes& operator=(SourceBytes&& other) noexcept;

    std::string_view view() const { return {m_data ? m_data : m_owned.data(), m_size}; }
    std::size_t size() const { return m_size; }
    // Shows only the first size bytes from now on.
    void shorten(std::size_t size);
    bool lost() const { return m_holder && m_holder->lost(); }

    // Tells the holder that a walk through the bytes before offset is done.
    void release(std::size_t offset) const {
        if (m_holder)
            m_holder->doneBefore(offset);
    }
    // The same for a reader that may look back a few lines from offset: the megabyte before
    // it is kept, as a look back into bytes let go may cost a whole block.
    void releaseBehind(std::size_t offset) const { release(offset > LookBack ? offset - LookBack : 0); }
    // Calls visit(chunk, offset) for consecutive chunks of 2 MB, releasing each after it,
    // until visit returns true; returns whether one did.
    template <class Visit> bool walk(Visit visit) const;
    // Where needle first begins, or npos; found by a walk.
    std::size_t find(std::string_view needle) const;

private:
    static constexpr std::size_t Chunk = std::size_t{2} << 20;
    static constexpr std::size_t LookBack = std::size_t{1} << 20;

    std::string m_owned;              // bytes given
    std::unique_ptr<char[]> m_buffer; // or bytes read
    std::unique_ptr<Holder> m_holder; // or bytes held
    const char* m_data = nullptr;     // the bytes read or held
    std::size_t m_size = 0;
};

template <class Visit> bool SourceBytes::walk(Visit visit) const {
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
