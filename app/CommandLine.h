// The command line: one table row per option, a parser that refuses anything doubtful before
// a file is touched, and the checks that run before Qt starts (the machine folder, the display).
#pragma once

#include "Console.h"
#include "Language.h"
#include "MachineJobs.h"

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
    std::optional<std::filesystem::path> cpuFile; // a recorded processor to run on
    std::optional<std::filesystem::path> image;   // a disk image to open in a machine folder of its own
    std::optional<Language> language;             // nothing: the configuration file decides
    std::optional<QString> vm;                    // a virtual machine to open, by its name
    bool listVms = false;
    bool info = false; // --info: what the machine folder is and holds
    bool json = false; // --list-vms and --info print JSON
    bool create = false;
    bool chooseMachine = false; // the first start's choices, even once one is remembered
    bool help = false;
    bool version = false;
    MachineJob job; // --import, --snapshot and the other jobs on a machine folder
    QString error;  // non-empty when the arguments cannot be used
};

// Optional: the next argument is the value unless it begins with "-".
enum class OptionArgument { None, Required, Optional };

// The headings --help lists the options under, in this order.
enum class OptionGroup { Window, MachineFolders, RoundTrip, RegistryFiles, DiskImages };

struct OptionRow {
    const char* name;   // "--machine"; also "--machine=VALUE"
    char shortName = 0; // 'h' for "-h"
    OptionArgument argument = OptionArgument::None;
    const char* valueName = nullptr; // "DIR", or every value as "FILE [FILE]", shown in the usage text
    const char* help = "";           // for --help; "\n" continues a text
    bool job = false;                // done without a window, then the program ends
    int moreValues = 0;              // further values it may take, each an argument not beginning with "-"
    // Stores the option in line; returns why value cannot be used, or an empty string: a text
    // marked in the context "CommandLine", "%1" standing for the value.
    QString (*apply)(CommandLine& line, const QString& value) = nullptr;
    // The complaint when more values follow than it takes, marked as apply's texts are.
    const char* tooManyValues = nullptr;
    OptionGroup group = OptionGroup::Window;
};

// Every option, in the order --help lists them.
std::span<const OptionRow> commandLineOptions();

// The error, if any, is in the language of texts; without texts, in Japanese.
CommandLine parseCommandLine(const QStringList& arguments, const ConsoleTexts& texts);
CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

// Why the machine folder that the command line names cannot be used as asked, or empty:
// --machine must name a folder holding registry.reg, and --create a folder that does not exist
// yet or is empty. dir is that folder (the default one without --machine).
QString machineFolderProblem(const CommandLine& line, const std::filesystem::path& dir,
                             const ConsoleTexts& texts);
// Why a file or folder the command line names cannot be used as asked, or empty: a file to read
// that is missing, a folder or (to import) empty; a --drive-c that is no folder; a --screenshot
// folder that is something else.
QString pathArgumentProblem(const CommandLine& line, const ConsoleTexts& texts);

// The environment as start-up sees it; returns an empty array for an unset variable.
using Environment = std::function<QByteArray(const char* name)>;

// True when the window would have no display to open on: neither DISPLAY nor WAYLAND_DISPLAY
// is set and QT_QPA_PLATFORM names no platform that runs without one (offscreen, minimal...).
bool lacksDisplay(const Environment& environment);

inline constexpr const char* NoDisplayText =
    QT_TRANSLATE_NOOP("CommandLine", "ディスプレイがありません: DISPLAY か WAYLAND_DISPLAY を設定するか、"
                                     "--screenshot DIR を使ってください");
inline constexpr const char* CannotOpenDisplayText =
    QT_TRANSLATE_NOOP("CommandLine", "DISPLAY か WAYLAND_DISPLAY が示すディスプレイを開けません。"
                                     "ディスプレイなしで描くには --screenshot DIR を使ってください");

} // namespace kv
