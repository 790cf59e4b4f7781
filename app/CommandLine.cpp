#include "CommandLine.h"

namespace kv {

QString usageText() {
    return QStringLiteral(
        "Usage: kavendel [--machine DIR] [--screenshot DIR] [--cpu FILE] [--help] [--version]\n"
        "\n"
        "  --machine DIR     work on the machine folder DIR (registry.reg and drive_c/);\n"
        "                    default: $XDG_DATA_HOME/kavendel/machine\n"
        "  --screenshot DIR  render every page to DIR/*.png, list the controls in\n"
        "                    DIR/controls.tsv, then exit\n"
        "  --cpu FILE        run on the processor recorded in FILE: the replay format,\n"
        "                    or the raw dump of `cpuid -r` or `cpuid_tool --save`\n"
        "  --help            show this text\n"
        "  --version         show the program's version\n");
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto takePath = [&](std::optional<std::filesystem::path>& into, const QString& what) {
            if (i + 1 >= arguments.size()) {
                line.error = arg + QStringLiteral(" needs ") + what;
                return;
            }
            into = std::filesystem::path(arguments[++i].toStdString());
        };
        if (arg == QLatin1String("--machine"))
            takePath(line.machine, QStringLiteral("a folder"));
        else if (arg == QLatin1String("--screenshot"))
            takePath(line.screenshotDir, QStringLiteral("a folder"));
        else if (arg == QLatin1String("--cpu"))
            takePath(line.cpuFile, QStringLiteral("a file"));
        else if (arg == QLatin1String("--help"))
            line.help = true;
        else if (arg == QLatin1String("--version"))
            line.version = true;
        else
            line.error = QStringLiteral("unknown argument: ") + arg;
        if (!line.error.isEmpty())
            break;
    }
    return line;
}

} // namespace kv
