// What tells a changed registry file from the one a store loaded, mostly without reading it:
// its device, inode, size and times. A change within the clock tick the file was read in may
// keep all of them, so the content's hash has to tell until that tick is over.
#pragma once

#include "SourceBytes.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>

namespace kv {

class DiskStamp {
public:
    // The stamp of a file read, with the stamp st, into bytes.
    static DiskStamp of(const struct stat& st, const SourceBytes& bytes);
    // The file as this store just wrote it, looked at through fd or at file. Its time was set
    // below the clock's tick, so any later change shows; should that or the look have failed,
    // the stamp is forgotten.
    void written(int fd);
    void written(const std::filesystem::path& file);
    // Known no more: the next look takes the file for changed.
    void forget() { *this = DiskStamp(); }

    bool matches(const struct stat& st) const;
    // Whether the file at file is not the one stamped. A file changed within the tick it was
    // read in is read whole to tell.
    bool changed(const std::filesystem::path& file);
    off_t size() const { return m_fields.size; }

private:
    struct Fields {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const Fields&) const = default;
    };
    static Fields fieldsOf(const struct stat& st);
    void written(const struct stat& st);

    Fields m_fields;
    // Set when the file was read within the clock tick it was changed in.
    std::optional<std::size_t> m_racyHash;
};

} // namespace kv
