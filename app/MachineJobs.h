// The command line's jobs on a machine folder, each done without a window: importing a real
// computer's registry, snapshots, restoring one, and exporting the changes since one.
#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kv {

class Dialogs;
class MachineFolder;
class SettingsStore;

struct MachineJob {
    enum class Kind {
        None,
        Import,
        Snapshot,
        ListSnapshots,
        Restore,
        ExportChanges,
        ImportImage,
        WriteImage
    };
    Kind kind = Kind::None;
    std::vector<std::filesystem::path> importFiles; // one .reg file, or SYSTEM.DAT and USER.DAT
    std::optional<std::string> id;                  // --restore ID, --export-changes [ID]
    std::optional<std::filesystem::path> driveC;
    bool applyAtNextStart = false;
    std::optional<std::filesystem::path> image; // --import-image IMAGE
    std::optional<int> partition;               // --partition N
};

// What is wrong with the job's options taken together, or an empty string.
QString checkMachineJob(const MachineJob& job, bool machineGiven);

// Does the job; errors go to err as "kavendel: …". Returns the exit status: 0, or 2 when the
// job was refused (1 for the disk-image jobs), in which case nothing was changed. A write-back
// into a disk image that an earlier run left unfinished is finished or undone first.
int runMachineJob(const MachineJob& job, const std::filesystem::path& machineDir, std::ostream& out,
                  std::ostream& err);

// The machine folder that --image opens for image, under the default machine folder's parent:
// imported or reused. Says why on err and gives nullopt when it cannot be had.
std::optional<std::filesystem::path> machineOfImage(const std::filesystem::path& image,
                                                    const std::filesystem::path& defaultMachine,
                                                    std::ostream& err);

// When the window on an image's machine folder closes with changes not in the image yet, asks
// whether to write them now; No keeps them for a later --write-image. Returns the exit status.
int offerImageWriteBack(Dialogs& dialogs, const std::filesystem::path& machineDir);

// The files Kavendel may change on this machine that exist now: the games' configuration files
// and the display driver's INF files, as the registry names them. Files that do not exist are
// left out, so that restoring the snapshot never deletes a file Kavendel did not make.
std::vector<std::filesystem::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine);

} // namespace kv
