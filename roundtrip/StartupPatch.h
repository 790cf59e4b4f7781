// Handing a patch to the real Windows 98 behind a machine folder: the patch goes to
// C:\KAVENDEL\CHANGES.REG, and a batch file in the Startup folder imports it silently at the
// next start of Windows, then deletes itself. Importing a patch again changes nothing, so
// a batch that runs twice does no harm.
#pragma once

#include "Failure.h"

#include "KeyTree.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Where a Windows path lies in the machine folder, or nullopt (MachineFolder::resolve).
using WindowsPathResolver = std::function<std::optional<std::filesystem::path>(std::string_view)>;

inline constexpr std::string_view PatchWindowsPath = "C:\\KAVENDEL\\CHANGES.REG";
inline constexpr std::string_view StartupBatchName = "KAVENDEL.BAT";

// The "Startup" value of HKEY_CURRENT_USER's "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell
// Folders" key in tree, or nullopt when it is missing, empty or not text.
std::optional<std::string> startupFolderOf(const RegKey& tree);
// The same, and when there is none, throws: Windows would never apply a patch left for it.
std::string startupFolderNamedIn(const RegKey& tree);

// The batch file: CP932 text with CR LF line ends, as Windows 98's command interpreter reads it.
std::string startupBatch(std::string_view startupFolder);

// Writes both files, calling beforeWriting with each first (so that a snapshot can record it).
// The Startup folder is the "Startup" value of HKEY_CURRENT_USER's
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" key in tree; a missing one is
// made, as Windows makes it, when the folder at the top of its path is there. Throws
// Failure, before writing anything, when that value is missing or names no place of
// the machine's drives.
// One of the two files the hand-over writes: its place in the machine folder and its bytes.
struct HandOverFile {
    std::filesystem::path host;
    std::string windowsPath; // CP932
    std::string bytes;
};

// The patch and the batch file as stagePatchForNextStart writes them, found the same way and
// refused for the same reasons; nothing is written.
std::vector<HandOverFile> patchFilesForNextStart(const RegKey& tree, const WindowsPathResolver& resolve,
                                                 std::string_view patch);

// Returns the files written.
std::vector<HandOverFile>
stagePatchForNextStart(const RegKey& tree, const WindowsPathResolver& resolve, std::string_view patch,
                       const std::function<void(const std::filesystem::path&)>& beforeWriting = {});

} // namespace kv
