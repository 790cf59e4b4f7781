// The changes a store appends to its registry file (see RegistryFileStoreAppend.h for their
// form), and what it knows of those appended before: how many bytes and sections follow the
// file's minimal-diff text, the file's last section, from which a new append is judged, and
// the bytes a killed writer's append left at the end.
#pragma once

#include "AtomicFile.h"
#include "DiskStamp.h"
#include "RegistryDocument.h"
#include "SettingsStore.h"
#include "SourceBytes.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class AppendLog {
public:
    // How a file as read ends.
    struct Ending {
        std::size_t torn = 0; // bytes a killed writer's append left
        std::string tail;     // the last section before them
    };
    // Cuts off the end of bytes that a killed writer's append left: it is no change, and is
    // read as if not there. The next write cuts it off on disk.
    static Ending cutTorn(SourceBytes& bytes);
    // Takes a file that ends so as the store's file. Its appended sections are found when a
    // write first needs them.
    void loaded(Ending ending);
    // A whole file's bytes as a document with its appended sections folded into the lines they
    // change. Throws registryFileFailure when they are not REGEDIT4 text.
    static RegistryDocument folded(SourceBytes bytes, std::string_view fileName);
    // Finds the sections appended to bytes, the file as loaded, unless known: it takes a walk
    // through the whole file, which a store that only reads never needs.
    void find(const SourceBytes& bytes);

    // The bytes to append for change to a file holding top, when the file then reads exactly
    // as the change says.
    std::optional<std::string> sectionFor(const RegKey& top, const Change& change) const;
    // Appends section to file with one write and one fsync. The file must still be what stamp
    // says; on failure it is cut back to what it was. Throws Failure naming file.
    void append(const std::filesystem::path& file, std::string_view section, DiskStamp& stamp,
                const FileCalls& calls);
    // The file was written whole as pieces.
    void rewritten(const std::vector<std::string_view>& pieces);

    bool empty() const { return m_bytes == 0; }
    // Whether the appended sections are so many that readers replaying them cost more than
    // writing the file whole, of size bytes.
    bool large(std::size_t size) const;
    bool appendedHere() const { return m_appendedHere; }

private:
    void takeBack(int fd, DiskStamp& stamp, const FileCalls& calls);

    std::string m_tail;
    std::size_t m_torn = 0;
    // Bytes on disk after the minimal-diff text, marker included, and their sections.
    std::size_t m_bytes = 0;
    std::size_t m_sections = 0;
    bool m_known = false;
    bool m_appendedHere = false;
};

} // namespace kv
