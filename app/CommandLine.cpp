#include "CommandLine.h"

#include <QFile>

#include <algorithm>
#include <set>
#include <system_error>

namespace kv {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& value) {
    return fs::path(QFile::encodeName(value).toStdString());
}

// Stores an option's value; an option whose values are limited would return its complaint.
template <typename Field, typename Value> QString assign(Field& field, Value value) {
    field = std::move(value);
    return {};
}

QString takeLanguage(CommandLine& line, const QString& code) {
    line.language = languageNamed(code);
    return line.language ? QString() : QStringLiteral("--lang needs ja or en, not ") + code;
}

const OptionRow Options[] = {
    {.name = "--machine",
     .argument = OptionArgument::Required,
     .valueName = "DIR",
     .help = "work on the machine folder DIR, which must hold\n"
             "registry.reg",
     .apply = [](CommandLine& line, const QString& dir) { return assign(line.machine, toPath(dir)); }},
    {.name = "--screenshot",
     .argument = OptionArgument::Required,
     .valueName = "DIR",
     .help = "render every page to DIR/*.png, with DIR/controls.tsv\n"
             "and DIR/messages.txt, then exit",
     .apply = [](CommandLine& line, const QString& dir) { return assign(line.screenshotDir, toPath(dir)); }},
    {.name = "--cpu",
     .argument = OptionArgument::Required,
     .valueName = "FILE",
     .help = "run on the processor recorded in FILE: the replay format,\n"
             "or the raw dump of cpuid -r or cpuid_tool --save",
     .apply = [](CommandLine& line, const QString& file) { return assign(line.cpuFile, toPath(file)); }},
    {.name = "--lang",
     .argument = OptionArgument::Required,
     .valueName = "ja|en",
     .help = "show the window in Japanese (the default) or English;\n"
             "overrides lang= in kavendel.conf, see kavendel(1)",
     .apply = takeLanguage},
    {.name = "--create",
     .help = "make a new, empty machine folder (the --machine DIR,\n"
             "or the default one), then exit",
     .job = true,
     .apply = [](CommandLine& line, const QString&) { return assign(line.create, true); }},
    {.name = "--import",
     .argument = OptionArgument::Required,
     .valueName = "FILE",
     .help = "make the --machine DIR, new or empty, from Windows 98:\n"
             "FILE.reg, a whole regedit export, or SYSTEM.DAT USER.DAT,\n"
             "then exit",
     .job = true,
     .moreValues = 1,
     .apply =
         [](CommandLine& line, const QString& file) {
             line.job.kind = MachineJob::Kind::Import;
             line.job.importFiles.push_back(toPath(file));
             return QString();
         }},
    {.name = "--drive-c",
     .argument = OptionArgument::Required,
     .valueName = "PATH",
     .help = "with --import: drive_c is a link to PATH",
     .apply = [](CommandLine& line, const QString& path) { return assign(line.job.driveC, toPath(path)); }},
    {.name = "--snapshot",
     .help = "record the registry and the files Kavendel may change,\n"
             "print the snapshot's id, then exit",
     .job = true,
     .apply = [](CommandLine& line,
                 const QString&) { return assign(line.job.kind, MachineJob::Kind::Snapshot); }},
    {.name = "--snapshots",
     .help = "list the snapshots (the last 20 are kept), then exit",
     .job = true,
     .apply = [](CommandLine& line,
                 const QString&) { return assign(line.job.kind, MachineJob::Kind::ListSnapshots); }},
    {.name = "--restore",
     .argument = OptionArgument::Required,
     .valueName = "ID",
     .help = "put snapshot ID back, after a snapshot of the present,\n"
             "then exit",
     .job = true,
     .apply =
         [](CommandLine& line, const QString& id) {
             line.job.kind = MachineJob::Kind::Restore;
             return assign(line.job.id, id.toStdString());
         }},
    {.name = "--export-changes",
     .argument = OptionArgument::Optional,
     .valueName = "ID",
     .help = "print the changes since snapshot ID (default: the oldest)\n"
             "as a REGEDIT4 patch, then exit",
     .job = true,
     .apply =
         [](CommandLine& line, const QString& id) {
             line.job.kind = MachineJob::Kind::ExportChanges;
             if (!id.isEmpty())
                 line.job.id = id.toStdString();
             return QString();
         }},
    {.name = "--apply-at-next-start",
     .help = "with --export-changes: Windows imports the patch at its\n"
             "next start, from C:\\KAVENDEL\\CHANGES.REG",
     .apply = [](CommandLine& line, const QString&) { return assign(line.job.applyAtNextStart, true); }},
    {.name = "--write-hives",
     .argument = OptionArgument::Required,
     .valueName = "FILE",
     .help = "write the machine's registry into Windows 98's own\n"
             "SYSTEM.DAT USER.DAT, keeping both in a snapshot, then exit",
     .job = true,
     .moreValues = 1,
     .apply =
         [](CommandLine& line, const QString& file) {
             line.job.kind = MachineJob::Kind::WriteHives;
             line.job.hiveFiles.push_back(toPath(file));
             return QString();
         }},
    {.name = "--help",
     .shortName = 'h',
     .help = "show this text and exit",
     .apply = [](CommandLine& line, const QString&) { return assign(line.help, true); }},
    {.name = "--version",
     .shortName = 'V',
     .help = "show the program's version and exit",
     .apply = [](CommandLine& line, const QString&) { return assign(line.version, true); }},
};

// Where the help texts start in --help; a text's "\n" continues at this column.
constexpr int HelpColumn = 25;

QString shortForm(const OptionRow& row) {
    return QStringLiteral("-") + QLatin1Char(row.shortName);
}

// " DIR", " [ID]" for a value that may be left out, " FILE..." for more than one.
QString valueSpelling(const OptionRow& row) {
    if (!row.valueName)
        return {};
    QString value = QLatin1String(row.valueName) + (row.moreValues ? QStringLiteral("...") : QString());
    return row.argument == OptionArgument::Optional ? QStringLiteral(" [") + value + u']' : u' ' + value;
}

// "-h|--help", or "--machine DIR".
QString spelling(const OptionRow& row) {
    QString text = row.shortName ? shortForm(row) + u'|' : QString();
    text += QLatin1String(row.name);
    return text + valueSpelling(row);
}

const OptionRow* findOption(const QString& name) {
    const auto found = std::find_if(std::begin(Options), std::end(Options), [&](const OptionRow& row) {
        return name == QLatin1String(row.name) || (row.shortName && name == shortForm(row));
    });
    return found == std::end(Options) ? nullptr : found;
}

// Walks the arguments one option at a time; the first problem ends the walk.
class Parser {
public:
    explicit Parser(const QStringList& arguments)
        : m_arguments(arguments) {}

    CommandLine run() {
        for (m_next = 1; m_next < m_arguments.size() && m_line.error.isEmpty();)
            takeOption(m_arguments[m_next++]);
        if (m_line.error.isEmpty())
            checkCombination();
        return m_line;
    }

private:
    void takeOption(const QString& argument) {
        const qsizetype equals = argument.startsWith(QLatin1String("--")) ? argument.indexOf(u'=') : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        const OptionRow* row = findOption(name);
        if (!row)
            return fail(QStringLiteral("unknown option: ") + argument);
        if (!m_seen.insert(row).second)
            return fail(QLatin1String(row->name) + QStringLiteral(" is given twice"));
        if (row->argument == OptionArgument::None) {
            if (equals >= 0)
                return fail(QLatin1String(row->name) + QStringLiteral(" takes no value"));
            return fail(row->apply(m_line, {}));
        }
        if (row->argument == OptionArgument::Optional && equals < 0 && !valueFollows())
            return fail(row->apply(m_line, {}));
        if (equals < 0 && m_next >= m_arguments.size())
            return fail(QLatin1String(row->name) + QStringLiteral(" needs ") + QLatin1String(row->valueName));
        takeValue(*row, equals < 0 ? m_arguments[m_next++] : argument.mid(equals + 1));
        for (int more = 0; more < row->moreValues && valueFollows(); ++more)
            takeValue(*row, m_arguments[m_next++]);
    }

    // Whether the next argument is a value rather than an option.
    bool valueFollows() const { return m_next < m_arguments.size() && !m_arguments[m_next].startsWith(u'-'); }

    void takeValue(const OptionRow& row, const QString& value) {
        const QString needs =
            QLatin1String(row.name) + QStringLiteral(" needs ") + QLatin1String(row.valueName);
        if (value.isEmpty())
            return fail(needs + QStringLiteral(", not an empty word"));
        // A forgotten value must not turn the next option into a file name; "./-x" names a file -x.
        if (value.startsWith(u'-'))
            return fail(needs + QStringLiteral(", not the option ") + value + QStringLiteral(" (write ./") +
                        value + QStringLiteral(" for a file of that name)"));
        fail(row.apply(m_line, value));
    }

    void checkCombination() {
        std::vector<QString> jobs;
        for (const OptionRow* row : m_seen)
            if (row->job)
                jobs.push_back(QLatin1String(row->name));
        std::sort(jobs.begin(), jobs.end());
        if (jobs.size() > 1)
            fail(jobs[0] + QStringLiteral(" and ") + jobs[1] + QStringLiteral(" cannot be combined"));
        else if (!jobs.empty() && m_line.screenshotDir)
            fail(jobs[0] + QStringLiteral(" ends without a window; it cannot be combined with --screenshot"));
        else
            fail(checkMachineJob(m_line.job, m_line.machine.has_value()));
    }

    // Keeps the first problem; an empty error is none.
    void fail(const QString& error) {
        if (m_line.error.isEmpty())
            m_line.error = error;
    }

    const QStringList& m_arguments;
    qsizetype m_next = 1;
    CommandLine m_line;
    std::set<const OptionRow*> m_seen;
};

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool isEmptyDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_empty(path, error) && !error;
}

bool anythingAt(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

QString displayed(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

} // namespace

std::span<const OptionRow> commandLineOptions() {
    return Options;
}

CommandLine parseCommandLine(const QStringList& arguments) {
    return Parser(arguments).run();
}

QString usageText() {
    const QString prefix = QStringLiteral("Usage: kavendel");
    QString synopsis = prefix;
    qsizetype lineStart = 0;
    QString list;
    for (const OptionRow& row : Options) {
        const QString item = QStringLiteral(" [") + spelling(row) + u']';
        if (synopsis.size() - lineStart + item.size() > 79) {
            lineStart = synopsis.size() + 1;
            synopsis += u'\n' + QString(prefix.size(), u' ');
        }
        synopsis += item;
        const QString shortPart =
            row.shortName ? shortForm(row) + QStringLiteral(", ") : QStringLiteral("    ");
        const QString left = QStringLiteral("  ") + shortPart + QLatin1String(row.name) + valueSpelling(row);
        const QString help = QLatin1String(row.help);
        const QString indent(HelpColumn, u' ');
        // An option too long for its column has its text start on the next line.
        list += (left.size() < HelpColumn - 1 ? left.leftJustified(HelpColumn - 1) + u' '
                                              : left + u'\n' + indent) +
                QString(help).replace(u'\n', u'\n' + indent) + u'\n';
    }
    return synopsis + QStringLiteral("\n\n") + list +
           QStringLiteral("\nWithout --machine, Kavendel works on $XDG_DATA_HOME/kavendel/machine,\n"
                          "made on first start. Exit status: 0 done, 1 failed, 2 bad usage.\n"
                          "See kavendel(1).\n");
}

QString machineFolderProblem(const CommandLine& line, const fs::path& dir) {
    const QString name = displayed(dir);
    if (line.create || line.job.kind == MachineJob::Kind::Import) {
        const QString option = line.create ? QStringLiteral("--create") : QStringLiteral("--import");
        if (anythingAt(dir) && !(isDirectory(dir) && isEmptyDirectory(dir)))
            return name + QStringLiteral(" already exists and is not an empty folder; ") + option +
                   QStringLiteral(" makes a new one");
        return {};
    }
    if (!line.machine)
        return {}; // the default folder is made on first start
    const QString createHint = QStringLiteral(" (use --create to make a new machine folder)");
    if (!isDirectory(dir))
        return name +
               (anythingAt(dir) ? QStringLiteral(": not a folder") : QStringLiteral(": no such folder")) +
               createHint;
    if (!anythingAt(dir / "registry.reg"))
        return name + QStringLiteral(" is not a machine folder: it holds no registry.reg") + createHint;
    return {};
}

bool lacksDisplay(const Environment& environment) {
    if (!environment("DISPLAY").isEmpty() || !environment("WAYLAND_DISPLAY").isEmpty())
        return false;
    // Qt tries each platform of a ";" list in turn; "name:options" passes options to one.
    static const std::set<QByteArray> headless = {"offscreen", "minimal", "minimalegl",  "linuxfb",
                                                  "eglfs",     "vnc",     "vkkhrdisplay"};
    for (const QByteArray& entry : environment("QT_QPA_PLATFORM").split(';'))
        if (headless.count(entry.split(':').front().trimmed()))
            return false;
    return true;
}

} // namespace kv
