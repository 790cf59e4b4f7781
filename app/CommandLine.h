// The command line: kavendel [--machine DIR] [--screenshot DIR] [--help] [--version], or a job
// on a machine folder (MachineJobs.h).
#pragma once

#include "MachineJobs.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

namespace kv {

struct CommandLine {
    std::optional<std::filesystem::path> machine;
    std::optional<std::filesystem::path> screenshotDir;
    bool help = false;
    bool version = false;
    MachineJob job; // a job done without a window
    QString error;  // non-empty when the arguments cannot be used
};

CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

} // namespace kv
