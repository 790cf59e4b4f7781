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

class MachineFolder;
class SettingsStore;

struct MachineJob {
    enum class Kind { None, Import, Snapshot, ListSnapshots, Restore, ExportChanges, WriteHives };
    Kind kind = Kind::None;
    std::vector<std::filesystem::path> importFiles; // one .reg file, or SYSTEM.DAT and USER.DAT
    std::vector<std::filesystem::path> hiveFiles;   // --write-hives SYSTEM.DAT USER.DAT
    std::optional<std::string> id;                  // --restore ID, --export-changes [ID]
    std::optional<std::filesystem::path> driveC;
    bool applyAtNextStart = false;
};

// What is wrong with the job's options taken together, or an empty string.
QString checkMachineJob(const MachineJob& job, bool machineGiven);

// Does the job; errors go to err as "kavendel: …". Returns the exit status: 0, or 2 when the
// job was refused, in which case nothing was changed; writing the registry files fails with 1.
int runMachineJob(const MachineJob& job, const std::filesystem::path& machineDir, std::ostream& out,
                  std::ostream& err);

// The files Kavendel may change on this machine that exist now: the games' configuration files
// and the display driver's INF files, as the registry names them. Files that do not exist are
// left out, so that restoring the snapshot never deletes a file Kavendel did not make.
std::vector<std::filesystem::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine);

} // namespace kv
