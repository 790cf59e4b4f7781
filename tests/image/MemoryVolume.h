// A FAT volume held in memory for tests and the fuzz target: the bytes given, then zeros up to
// the volume's size, as a sparse image reads.
#pragma once

#include "DiskImage.h"

#include <algorithm>
#include <string>

namespace kv::test {

class MemoryVolume final : public image::Volume {
public:
    MemoryVolume(std::string bytes, std::uint64_t size)
        : m_bytes(std::move(bytes)) {
        m_location.size = size;
    }

    const image::VolumeLocation& location() const override { return m_location; }
    image::TransferCounters counters() const override { return {}; }

    std::string read(std::uint64_t offset, std::size_t length) override {
        if (offset > m_location.size || length > m_location.size - offset)
            throw Failure(Message::verbatim("read past the volume's end"));
        std::string out(length, '\0');
        if (offset < m_bytes.size())
            m_bytes.copy(out.data(), std::min<std::uint64_t>(length, m_bytes.size() - offset), offset);
        return out;
    }

    // The volume with the writes put in, as the image would hold it.
    void apply(const std::vector<image::VolumeWrite>& writes) {
        for (const image::VolumeWrite& w : writes) {
            if (m_bytes.size() < w.offset + w.bytes.size())
                m_bytes.resize(w.offset + w.bytes.size(), '\0');
            m_bytes.replace(w.offset, w.bytes.size(), w.bytes);
        }
    }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    image::VolumeLocation m_location;
};

} // namespace kv::test
