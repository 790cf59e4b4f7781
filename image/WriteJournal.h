// The journal of one write into an image: where the volume lies, for every range the bytes it
// held before and the bytes it is to hold, and the files beside the image that change in the same
// step, with a checksum over all of it. Once it is on disk under its name the write is committed:
// it can be finished from the new bytes, and the old ones tell whether the image is still the one
// it was written for.
#pragma once

#include "DiskImage.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kv::image {

struct JournalRange {
    std::uint64_t offset = 0; // from the disk's first byte
    std::string before;
    std::string after;
};

struct WriteJournal {
    VolumeLocation location;
    std::vector<JournalRange> ranges;
    std::vector<CompanionFile> companions = {};

    std::string encode() const;
    // Throws a Failure naming file when the bytes are not a whole journal.
    static WriteJournal decode(const std::string& bytes, const std::filesystem::path& file);
};

// The journal's name in its folder.
std::filesystem::path journalFile(const std::filesystem::path& journalDir);

} // namespace kv::image
