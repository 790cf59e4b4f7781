// Snapshots of a machine folder, in DIR/snapshots/: the registry as a whole file and the files
// Kavendel may change, as they were, so that a restore puts them back byte for byte.
//
//   snapshots/ID/registry.reg   the registry
//   snapshots/ID/files/...      each recorded file, at its place under the machine folder
//   snapshots/ID/originals/...  files from outside the machine folder, kept by their names
//   snapshots/ID/snapshot.txt   "time<TAB>…", "kind<TAB>by hand|automatic",
//                               "changes<TAB>PREVIOUS<TAB>KEYS<TAB>VALUES", then "file<TAB>path"
//                               or "absent<TAB>path" per file, and "original<TAB>path" for each
//                               file kept from outside
//
// A snapshot is built in a temporary folder, every file and folder fsynced, then renamed into
// place: it is there whole or not at all. Ids count up. Snapshots taken by hand and automatic
// ones are pruned apart, the last Kept of each kind staying: runs of the window never push out
// a snapshot the user took. What a listing shows of a snapshot is kept in its manifest, so that
// a listing reads no registry.
#pragma once

#include "Failure.h"

#include "RegistryDiff.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class SnapshotKind { ByHand, Automatic };

struct SnapshotInfo {
    std::uint64_t id = 0;
    std::string time; // UTC, "2026-12-07 13:06:10"
    SnapshotKind kind = SnapshotKind::ByHand;
    // How its registry differs from that of the snapshot before it, whose id is previous (0
    // when there was none); nullopt when that is not known.
    std::uint64_t previous = 0;
    std::optional<DiffCount> changes;
};

class Snapshots {
public:
    static constexpr std::size_t Kept = 20;

    explicit Snapshots(std::filesystem::path machineDir);

    // Records registry.reg and the given files (host paths inside the machine folder; missing
    // ones are recorded as absent) as they are now, and returns the new snapshot's id.
    // originals, files outside the machine folder that are about to be replaced (Windows 98's
    // own registry files), are kept too, in ID/originals/ by their names, for the user to put
    // back by hand: a restore never writes outside the machine folder.
    std::uint64_t take(const std::vector<std::filesystem::path>& files,
                       SnapshotKind kind = SnapshotKind::ByHand,
                       const std::vector<std::filesystem::path>& originals = {});
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

    // Takes a snapshot of the present first, then puts registry.reg and the snapshot's files
    // back byte for byte; a file recorded as absent is deleted.
    std::uint64_t restore(std::uint64_t id);

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
