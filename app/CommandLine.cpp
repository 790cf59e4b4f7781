#include "CommandLine.h"

namespace kv {

QString usageText() {
    return QStringLiteral("Usage: kavendel [--machine DIR] [--screenshot DIR] [--help] [--version]\n"
                          "\n"
                          "  --machine DIR     work on the machine folder DIR (registry.reg and drive_c/);\n"
                          "                    default: $XDG_DATA_HOME/kavendel/machine\n"
                          "  --screenshot DIR  render every page to DIR/*.png, list the controls in\n"
                          "                    DIR/controls.tsv, then exit\n"
                          "  --help            show this text\n"
                          "  --version         show the program's version\n"
                          "\n"
                          "Jobs on a machine folder, done without a window:\n") +
           machineJobUsage();
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto takeDir = [&](std::optional<std::filesystem::path>& into) {
            if (i + 1 >= arguments.size()) {
                line.error = arg + QStringLiteral(" needs a folder");
                return;
            }
            into = std::filesystem::path(arguments[++i].toStdString());
        };
        if (arg == QLatin1String("--machine"))
            takeDir(line.machine);
        else if (arg == QLatin1String("--screenshot"))
            takeDir(line.screenshotDir);
        else if (arg == QLatin1String("--help"))
            line.help = true;
        else if (arg == QLatin1String("--version"))
            line.version = true;
        else if (!takeMachineJobOption(arguments, i, line.job, line.error))
            line.error = QStringLiteral("unknown argument: ") + arg;
        if (!line.error.isEmpty())
            break;
    }
    if (line.error.isEmpty())
        line.error = checkMachineJob(line.job, line.machine.has_value());
    return line;
}

} // namespace kv
