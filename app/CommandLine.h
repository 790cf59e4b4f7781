// The command line: kavendel [--machine DIR] [--screenshot DIR] [--cpu FILE] [--help] [--version].
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

namespace kv {

struct CommandLine {
    std::optional<std::filesystem::path> machine;
    std::optional<std::filesystem::path> screenshotDir;
    std::optional<std::filesystem::path> cpuFile; // a recorded processor to run on
    bool help = false;
    bool version = false;
    QString error; // non-empty when the arguments cannot be used
};

CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

} // namespace kv
