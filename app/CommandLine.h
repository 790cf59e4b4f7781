// The command line: one table row per option, a parser that refuses anything doubtful before
// a file is touched, and the checks that run before Qt starts (the machine folder, the display).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <optional>
#include <span>

namespace kv {

struct CommandLine {
    std::optional<std::filesystem::path> machine;
    std::optional<std::filesystem::path> screenshotDir;
    bool create = false;
    bool help = false;
    bool version = false;
    QString error; // non-empty when the arguments cannot be used
};

enum class OptionArgument { None, Required };

struct OptionRow {
    const char* name;   // "--machine"; also "--machine=VALUE"
    char shortName = 0; // 'h' for "-h"
    OptionArgument argument = OptionArgument::None;
    const char* valueName = nullptr; // "DIR", shown in the usage text
    const char* help = "";           // for --help; "\n" continues a text
    bool job = false;                // done without a window, then the program ends
    // Stores the option in line; returns why value cannot be used, or an empty string.
    QString (*apply)(CommandLine& line, const QString& value) = nullptr;
};

// Every option, in the order --help lists them.
std::span<const OptionRow> commandLineOptions();

CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

// Exit statuses: 0 done, 1 failed, 2 bad usage.
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// Why the machine folder that the command line names cannot be used as asked, or empty:
// --machine must name a folder holding registry.reg, and --create a folder that does not exist
// yet or is empty. dir is that folder (the default one without --machine).
QString machineFolderProblem(const CommandLine& line, const std::filesystem::path& dir);

// The environment as start-up sees it; returns an empty array for an unset variable.
using Environment = std::function<QByteArray(const char* name)>;

// True when the window would have no display to open on: neither DISPLAY nor WAYLAND_DISPLAY
// is set and QT_QPA_PLATFORM names no platform that runs without one (offscreen, minimal...).
bool lacksDisplay(const Environment& environment);

inline const QString NoDisplayMessage =
    QStringLiteral("no display: set DISPLAY or WAYLAND_DISPLAY, or use --screenshot DIR");

} // namespace kv
