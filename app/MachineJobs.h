// The command line's jobs on a machine folder, each done without a window: importing a real
// computer's registry, snapshots, restoring one, and exporting the changes since one.
#pragma once

#include "Failure.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kv {

class Console;
class ConsoleTexts;
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
        WriteImage,
        WriteHives
    };
    Kind kind = Kind::None;
    std::vector<std::filesystem::path> importFiles; // one .reg file, or SYSTEM.DAT and USER.DAT
    std::vector<std::filesystem::path> hiveFiles;   // --write-hives SYSTEM.DAT USER.DAT
    std::optional<std::string> id;                  // --restore ID, --export-changes [ID]
    std::optional<std::filesystem::path> driveC;
    bool applyAtNextStart = false;
    bool dryRun = false;                        // say what the write would change, and write nothing
    std::optional<std::filesystem::path> image; // --import-image IMAGE
    std::optional<int> partition;               // --partition N
};

// What is wrong with the job's options taken together, as a text marked in the context
// "CommandLine", or null.
const char* checkMachineJob(const MachineJob& job, bool machineGiven);

// What --create and --import say when they have made the machine folder dir.
QString createdMachineText(const std::filesystem::path& dir, const ConsoleTexts& texts);

// Does the job, saying what it did or why not on console. Returns the exit status: 0; 2 when
// the files to import are no registry or the snapshot id is not kept (nothing was changed);
// 1 when it failed otherwise. A write-back into a disk image that an earlier run left unfinished
// is finished or undone first.
int runMachineJob(const MachineJob& job, const std::filesystem::path& machineDir, const Console& console);

// Where the machine folders of disk images are kept: beside the default machine folder.
std::filesystem::path imagesFolderBeside(const std::filesystem::path& defaultMachine);

// The machine folder of its own that a disk image gets, under the default machine folder's parent:
// imported or reused, with the files passed over told on notes. Throws as machineForImage.
std::filesystem::path imageMachineFolder(const std::filesystem::path& image,
                                         const std::filesystem::path& defaultMachine, const Notes& notes);

// The machine folder that --image opens for image, as imageMachineFolder has it. Says why on
// console and gives nullopt when it cannot be had.
std::optional<std::filesystem::path> machineOfImage(const std::filesystem::path& image,
                                                    const std::filesystem::path& defaultMachine,
                                                    const Console& console);

// When the window on an image's machine folder closes with changes not in the image yet, asks
// whether to write them now; No keeps them for a later --write-image. Any other machine folder
// asks nothing. Returns the exit status.
int offerImageWriteBack(Dialogs& dialogs, const std::filesystem::path& machineDir);

// The files Kavendel may change on this machine that exist now: the games' configuration files
// and the display driver's INF files, as the registry names them. Files that do not exist are
// left out, so that restoring the snapshot never deletes a file Kavendel did not make.
std::vector<std::filesystem::path> filesKavendelMayChange(SettingsStore& store, const MachineFolder& machine);

} // namespace kv
