#include "SourceBytes.h"

#include <utility>

namespace kv {

SourceBytes::SourceBytes(std::string bytes)
    : m_owned(std::move(bytes))
    , m_size(m_owned.size()) {}

SourceBytes::SourceBytes(std::unique_ptr<char[]> buffer, std::size_t size)
    : m_buffer(std::move(buffer))
    , m_data(m_buffer.get())
    , m_size(size) {}

SourceBytes::SourceBytes(const char* data, std::size_t size, std::unique_ptr<Holder> holder)
    : m_holder(std::move(holder))
    , m_data(data)
    , m_size(size) {}

SourceBytes::SourceBytes(SourceBytes&& other) noexcept
    : m_owned(std::move(other.m_owned))
    , m_buffer(std::move(other.m_buffer))
    , m_holder(std::move(other.m_holder))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0)) {}

SourceBytes& SourceBytes::operator=(SourceBytes&& other) noexcept {
    if (this != &other) {
        m_owned = std::move(other.m_owned);
        m_buffer = std::move(other.m_buffer);
        m_holder = std::move(other.m_holder);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void SourceBytes::shorten(std::size_t size) {
    m_size = std::min(m_size, size);
    if (!m_data)
        m_owned.resize(m_size);
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
