// What --info tells of a machine folder: where it came from, the image behind it, the Windows
// and the display driver its registry names, the files taken, the snapshots and the changes not
// written back yet. Gathered once as JSON, which --json prints as it is, for scripts, and the
// text output reads in the interface language.
#pragma once

#include <QJsonObject>

#include <filesystem>

namespace kv {

class Console;

// Keys are lower-case with hyphens and never translated; numbers are numbers; what the folder
// does not have (an image, a version, a driver, a baseline) is null.
QJsonObject machineInfo(const std::filesystem::path& dir);

// Prints machineInfo as JSON or as lines of text; returns the exit status.
int printMachineInfo(const std::filesystem::path& dir, bool json, const Console& console);

} // namespace kv
