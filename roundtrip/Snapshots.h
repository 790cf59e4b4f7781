// Snapshots of a machine folder, in DIR/snapshots/: the registry as a whole file and the files
// Kavendel may change, as they were, so that a restore puts them back byte for byte.
//
//   snapshots/ID/registry.reg   the registry
//   snapshots/ID/files/...      each recorded file, at its place under the machine folder
//   snapshots/ID/originals/...  Windows' own registry files that a write-back replaced, kept by
//                               their names, for the user as much as for a restore
//   snapshots/ID/image/N        files of a disk image that a write-back replaced or deleted
//   snapshots/ID/snapshot.txt   "time<TAB>…", "kind<TAB>by hand|automatic",
//                               "changes<TAB>PREVIOUS<TAB>KEYS<TAB>VALUES", "holds<TAB>image" or
//                               "holds<TAB>hives" when it keeps such files, then "file<TAB>path"
//                               or "absent<TAB>path" per file, and per file from outside
//                               "outside<TAB>image|host<TAB>COPY|-<TAB>WRITTEN|-<TAB>path", COPY
//                               naming its copy ("-": it was not there) and WRITTEN what the
//                               write-back left there ("-": it deleted it), followed for a file
//                               of an image by "attributes<TAB>N<TAB>path", its FAT attributes
//
// A snapshot is built in a temporary folder, every file and folder fsynced, then renamed into
// place: it is there whole or not at all. Ids count up. Snapshots taken by hand and automatic
// ones are pruned apart, the last Kept of each kind staying: runs of the window never push out
// a snapshot the user took. What a listing shows of a snapshot is kept in its manifest, so that
// a listing reads no registry.
#pragma once

#include "Failure.h"

#include "RegistryDiff.h"
#include "WritePlan.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class SnapshotKind { ByHand, Automatic };

// A file outside the machine folder that a write-back replaces or deletes: in a disk image, by its
// Windows path, or one of Windows' own registry files on the host. A restore puts it back only
// while it is as the write-back left it.
struct OutsideFile {
    enum class Place { Image, Host };
    Place place = Place::Host;
    std::string path;                  // Windows path in CP932, or host path
    std::optional<std::string> before; // nullopt: it was not there
    std::string written; // how the write-back left it, as its caller tells files apart; empty: deleted
    std::uint8_t attributes = 0; // in an image: its FAT attributes as they were; 0 for none known
};

// What a restore does beyond the machine folder, planned before anything is written: the files it
// will replace or delete there, as they are now, and the step that puts the snapshot's back.
struct OutsideRestore {
    std::vector<OutsideFile> replaced;
    std::function<void()> putBack;
};

// The files as a snapshot keeps those it replaces outside the machine folder, with their sizes
// before and after: an image's by their Windows paths, a host's by their paths.
std::vector<PlannedFile> plannedFiles(const std::vector<OutsideFile>& replaced);

struct SnapshotInfo {
    std::uint64_t id = 0;
    std::string time; // UTC, "2026-12-07 13:06:10"
    SnapshotKind kind = SnapshotKind::ByHand;
    // How its registry differs from that of the snapshot before it, whose id is previous (0
    // when there was none); nullopt when that is not known.
    std::uint64_t previous = 0;
    std::optional<DiffCount> changes;
    bool holdsImageFiles = false;
    bool holdsHiveFiles = false;
};

class Snapshots {
public:
    static constexpr std::size_t Kept = 20;

    explicit Snapshots(std::filesystem::path machineDir);

    // Records registry.reg and the given files (host paths inside the machine folder; missing
    // ones are recorded as absent) as they are now, and returns the new snapshot's id. outside
    // are the files a write-back is about to replace or delete outside the machine folder.
    std::uint64_t take(const std::vector<std::filesystem::path>& files,
                       SnapshotKind kind = SnapshotKind::ByHand,
                       const std::vector<OutsideFile>& outside = {});
    // Records one more file, as it is now, in snapshot id, unless it holds that file already.
    void addFile(std::uint64_t id, const std::filesystem::path& file);
    // Whether registry.reg reads as snapshot id's registry and each file it recorded is as it was.
    bool holdsThePresent(std::uint64_t id) const;
    void remove(std::uint64_t id);

    // Oldest first.
    std::vector<SnapshotInfo> list() const;
    // The same, each with its changes: a snapshot taken before they were kept has them counted
    // now, and kept.
    std::vector<SnapshotInfo> listWithChanges();
    // The id written as text, checked to name a snapshot that is kept. Throws Failure, of
    // Fault::badUsage, saying whether it is malformed, was pruned, or never existed.
    std::uint64_t parseId(std::string_view text) const;
    std::string registry(std::uint64_t id) const;

    // What snapshot id keeps of files outside the machine folder.
    std::vector<OutsideFile> outsideFiles(std::uint64_t id) const;

    // Under the machine folder's lock: plans what lies outside the machine folder (planOutside
    // throws to leave everything as it was), takes a snapshot of the present, outside files
    // included, so that the restore can itself be undone, puts the outside files back, then
    // registry.reg and the snapshot's files byte for byte; a file recorded as absent is deleted.
    std::uint64_t restore(std::uint64_t id, const std::function<OutsideRestore()>& planOutside = {});
    // The files in the machine folder, registry.reg first, that restore would put back, delete
    // or make, by their host paths; nothing is written.
    std::vector<PlannedFile> plannedRestore(std::uint64_t id) const;

    std::filesystem::path folder() const;

private:
    struct Entry {
        bool present = false;
        std::filesystem::path relative;
    };
    std::filesystem::path folderOf(std::uint64_t id) const;
    std::filesystem::path relativeOf(const std::filesystem::path& file) const;
    std::vector<Entry> entries(std::uint64_t id) const;
    std::uint64_t publish(const std::filesystem::path& built);
    void prune();
    void keepChanges(const SnapshotInfo& info);

    std::filesystem::path m_machine;
};

} // namespace kv
