// The command line's jobs on a machine folder, each done without a window: importing a real
// computer's registry, snapshots, restoring one, and exporting the changes since one.
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kv {

class MachineFolder;
class SettingsStore;

struct MachineJob {
    enum class Kind { None, Import, Snapshot, ListSnapshots, Restore, ExportChanges };
    Kind kind = Kind::None;
    std::vector<std::filesystem::path> importFiles; // one .reg file, or SYSTEM.DAT and USER.DAT
    std::optional<std::string> id;                  // --restore ID, --export-changes [ID]
    std::optional<std::filesystem::path> driveC;
    bool applyAtNextStart = false;
};

// Reads the job option at arguments[i] with its operands, moving i past them. False when
// arguments[i] is none of the jobs' options; error is set when the option is misused.
bool takeMachineJobOption(const QStringList& arguments, int& i, MachineJob& job, QString& error);
// What is wrong with the options read as a whole, or an empty string.
QString checkMachineJob(const MachineJob& job, bool machineGiven);
QString machineJobUsage();

// Does the job; errors go to err as "kavendel: …". Returns the exit status: 0, or 2 when the
// job was refused, in which case nothing was changed.
int runMachineJob(const MachineJob& job, const std::filesystem::path& machineDir, std::ostream& out,
                  std::ostream& err);

// The files Kavendel may change on this machine that exist now: the games' configuration files
// and the display driver's INF files, as the registry names them. Files that do not exist are
// left out, so that restoring the snapshot never deletes a file Kavendel did not make.
std::vector<std::filesystem::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine);

} // namespace kv
