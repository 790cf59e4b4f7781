// One file as a power cut may leave it: the bytes its last fsync made durable, and the writes and
// truncations since, each of which the disk may or may not have kept. The power-cut tests rebuild
// every such state from the file calls they record.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::test {

class CutFile {
public:
    CutFile() = default;
    explicit CutFile(std::string bytes)
        : m_durable(bytes)
        , m_current(std::move(bytes)) {}

    // bytes written at offset or, with truncate, the file cut to offset bytes.
    void change(off_t offset, std::string_view bytes, bool truncate = false) {
        Change change{static_cast<std::size_t>(offset), std::string(bytes), truncate};
        apply(m_current, change);
        m_unsynced.push_back(std::move(change));
    }

    void sync() {
        m_durable = m_current;
        m_unsynced.clear();
    }

    // Calls check with every content a cut now could leave: the durable bytes with any subset of the
    // changes since.
    void eachCutState(const std::function<void(const std::string&)>& check) const {
        const std::size_t count = m_unsynced.size();
        EXPECT_LE(count, 16u) << "too many unsynced changes to try every subset";
        for (std::size_t kept = 0; kept < (std::size_t{1} << count); ++kept) {
            std::string bytes = m_durable;
            for (std::size_t i = 0; i < count; ++i)
                if (kept & (std::size_t{1} << i))
                    apply(bytes, m_unsynced[i]);
            check(bytes);
        }
    }

private:
    struct Change {
        std::size_t offset;
        std::string bytes;
        bool truncate;
    };

    static void apply(std::string& bytes, const Change& change) {
        if (change.truncate) {
            bytes.resize(change.offset);
            return;
        }
        if (bytes.size() < change.offset + change.bytes.size())
            bytes.resize(change.offset + change.bytes.size(), '\0');
        bytes.replace(change.offset, change.bytes.size(), change.bytes);
    }

    std::string m_durable, m_current;
    std::vector<Change> m_unsynced;
};

} // namespace kv::test
