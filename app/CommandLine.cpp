#include "CommandLine.h"

#include "MachineFolder.h"

#include <QFile>
#include <QRegularExpression>

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
    return line.language ? QString()
                         : QString::fromUtf8(QT_TRANSLATE_NOOP(
                               "CommandLine", "--lang には ja か en を指定します (%1 ではなく)"));
}

QString takePartition(CommandLine& line, const QString& number) {
    bool ok = false;
    const int partition = number.toInt(&ok);
    if (!ok || partition < 1 || partition > 4)
        return QString::fromUtf8(
            QT_TRANSLATE_NOOP("CommandLine", "--partition には 1 から 4 の番号を指定します (%1 ではなく)"));
    line.job.partition = partition;
    return {};
}

// A snapshot's id is a number from 1 on, written without leading zeros, as --snapshots lists it.
QString takeSnapshotId(CommandLine& line, const QString& id) {
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]{0,18}$"));
    if (!number.match(id).hasMatch())
        return QString::fromUtf8(QT_TRANSLATE_NOOP(
            "CommandLine", "%1 はスナップショットの ID ではありません (ID は --snapshots で一覧できます)"));
    line.job.id = id.toStdString();
    return {};
}

const OptionRow Options[] = {
    {.name = "--machine",
     .argument = OptionArgument::Required,
     .valueName = "DIR",
     .help = "work on the machine folder DIR, which must hold\nregistry.reg",
     .apply = [](CommandLine& line, const QString& dir) { return assign(line.machine, toPath(dir)); },
     .group = OptionGroup::MachineFolders},
    {.name = "--screenshot",
     .argument = OptionArgument::Required,
     .valueName = "DIR",
     .help = "render every page to DIR/*.png, with DIR/controls.tsv\n"
             "and DIR/messages.txt, then exit",
     .apply = [](CommandLine& line, const QString& dir) { return assign(line.screenshotDir, toPath(dir)); }},
    {.name = "--cpu",
     .argument = OptionArgument::Required,
     .valueName = "FILE",
     .help = "run on the processor recorded in FILE: the replay\n"
             "format, or the dump of cpuid -r or cpuid_tool --save",
     .apply = [](CommandLine& line, const QString& file) { return assign(line.cpuFile, toPath(file)); }},
    {.name = "--lang",
     .argument = OptionArgument::Required,
     .valueName = "ja|en",
     .help = "show the window in Japanese (the default) or English;\n"
             "overrides lang= in kavendel.conf, see kavendel(1)",
     .apply = takeLanguage},
    {.name = "--image",
     .argument = OptionArgument::Required,
     .valueName = "IMAGE",
     .help = "open the Windows 98 in the disk IMAGE, imported into a\n"
             "machine folder of its own; on closing, offer to write\n"
             "the changes into the image",
     .apply = [](CommandLine& line, const QString& file) { return assign(line.image, toPath(file)); },
     .group = OptionGroup::DiskImages},
    {.name = "--vm",
     .argument = OptionArgument::Required,
     .valueName = "NAME",
     .help = "open the Windows 95/98/Me virtual machine NAME (one\n"
             "that --list-vms lists) as --image opens its disk;\n"
             "refused while its emulator runs it",
     .apply = [](CommandLine& line, const QString& name) { return assign(line.vm, name); },
     .group = OptionGroup::DiskImages},
    {.name = "--list-vms",
     .help = "list the virtual machines of 86Box, VirtualBox, QEMU\n"
             "(libvirt, GNOME Boxes) and PCem whose disk holds\n"
             "Windows 95/98/Me, then exit",
     .job = true,
     .apply = [](CommandLine& line, const QString&) { return assign(line.listVms, true); },
     .group = OptionGroup::DiskImages},
    {.name = "--json",
     .help = "with --list-vms or --info: print JSON",
     .apply = [](CommandLine& line, const QString&) { return assign(line.json, true); },
     .group = OptionGroup::DiskImages},
    {.name = "--choose-machine",
     .help = "offer the first start's choices again (open a machine\n"
             "folder, import, open a disk image, try the demo), even\n"
             "once one is remembered in kavendel.conf",
     .apply = [](CommandLine& line, const QString&) { return assign(line.chooseMachine, true); }},
    {.name = "--create",
     .help = "make a new, empty machine folder (the --machine DIR,\n"
             "or the default one), then exit",
     .job = true,
     .apply = [](CommandLine& line, const QString&) { return assign(line.create, true); },
     .group = OptionGroup::MachineFolders},
    {.name = "--import",
     .argument = OptionArgument::Required,
     .valueName = "FILE [FILE]",
     .help = "make the --machine DIR, new or empty, from Windows 98:\n"
             "FILE.reg, a whole regedit export, or SYSTEM.DAT and\n"
             "USER.DAT, then exit",
     .job = true,
     .moreValues = 1,
     .apply =
         [](CommandLine& line, const QString& file) {
             line.job.kind = MachineJob::Kind::Import;
             line.job.importFiles.push_back(toPath(file));
             return QString();
         },
     .tooManyValues = QT_TRANSLATE_NOOP(
         "CommandLine",
         "--import には .reg ファイルを 1 つか、ハイブファイルを 2 つ指定します (%1 は余分です)"),
     .group = OptionGroup::RegistryFiles},
    {.name = "--drive-c",
     .argument = OptionArgument::Required,
     .valueName = "PATH",
     .help = "with --import: drive_c is a link to PATH",
     .apply = [](CommandLine& line, const QString& path) { return assign(line.job.driveC, toPath(path)); },
     .group = OptionGroup::RegistryFiles},
    {.name = "--import-image",
     .argument = OptionArgument::Required,
     .valueName = "IMAGE",
     .help = "make the --machine DIR, new or empty, from the\n"
             "Windows 98 in the disk IMAGE (raw, VHD, qcow2 or VDI),\n"
             "then exit",
     .job = true,
     .apply =
         [](CommandLine& line, const QString& file) {
             line.job.kind = MachineJob::Kind::ImportImage;
             return assign(line.job.image, toPath(file));
         },
     .group = OptionGroup::DiskImages},
    {.name = "--partition",
     .argument = OptionArgument::Required,
     .valueName = "N",
     .help = "with --import-image: the MBR partition (1-4) to use",
     .apply = takePartition,
     .group = OptionGroup::DiskImages},
    {.name = "--write-image",
     .help = "write the changes since --import-image into the disk\n"
             "image, all at once, then exit",
     .job = true,
     .apply = [](CommandLine& line,
                 const QString&) { return assign(line.job.kind, MachineJob::Kind::WriteImage); },
     .group = OptionGroup::DiskImages},
    {.name = "--snapshot",
     .help = "record the registry and the files Kavendel may change,\n"
             "print the snapshot's id, then exit",
     .job = true,
     .apply = [](CommandLine& line,
                 const QString&) { return assign(line.job.kind, MachineJob::Kind::Snapshot); },
     .group = OptionGroup::MachineFolders},
    {.name = "--info",
     .help = "show what the machine folder is: its origin, image,\n"
             "Windows, display driver, files, snapshots and the\n"
             "changes not written back, then exit",
     .job = true,
     .apply = [](CommandLine& line, const QString&) { return assign(line.info, true); },
     .group = OptionGroup::MachineFolders},
    {.name = "--snapshots",
     .help = "list the snapshots (the last 20 are kept), then exit",
     .job = true,
     .apply = [](CommandLine& line,
                 const QString&) { return assign(line.job.kind, MachineJob::Kind::ListSnapshots); },
     .group = OptionGroup::MachineFolders},
    {.name = "--restore",
     .argument = OptionArgument::Required,
     .valueName = "ID",
     .help = "put snapshot ID back, after a snapshot of the present,\n"
             "then exit",
     .job = true,
     .apply =
         [](CommandLine& line, const QString& id) {
             line.job.kind = MachineJob::Kind::Restore;
             return takeSnapshotId(line, id);
         },
     .group = OptionGroup::MachineFolders},
    {.name = "--export-changes",
     .argument = OptionArgument::Optional,
     .valueName = "ID",
     .help = "print the changes since snapshot ID (by default the\n"
             "oldest) as a REGEDIT4 patch, then exit",
     .job = true,
     .apply =
         [](CommandLine& line, const QString& id) {
             line.job.kind = MachineJob::Kind::ExportChanges;
             return id.isEmpty() ? QString() : takeSnapshotId(line, id);
         },
     .group = OptionGroup::RoundTrip},
    {.name = "--apply-at-next-start",
     .help = "with --export-changes: Windows imports the patch at its\n"
             "next start, from C:\\KAVENDEL\\CHANGES.REG",
     .apply = [](CommandLine& line, const QString&) { return assign(line.job.applyAtNextStart, true); },
     .group = OptionGroup::RoundTrip},
    {.name = "--write-hives",
     .argument = OptionArgument::Required,
     .valueName = "SYSTEM.DAT USER.DAT",
     .help = "write the machine's registry into Windows 98's own\n"
             "SYSTEM.DAT and USER.DAT, keeping both in a snapshot,\n"
             "then exit",
     .job = true,
     .moreValues = 1,
     .apply =
         [](CommandLine& line, const QString& file) {
             line.job.kind = MachineJob::Kind::WriteHives;
             line.job.hiveFiles.push_back(toPath(file));
             return QString();
         },
     .group = OptionGroup::RegistryFiles},
    {.name = "--dry-run",
     .shortName = 'n',
     .help = "with --write-image, --write-hives, --restore or the\n"
             "patch of --apply-at-next-start: print what would\n"
             "change, and write nothing",
     .apply = [](CommandLine& line, const QString&) { return assign(line.job.dryRun, true); },
     .group = OptionGroup::RoundTrip},
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

// " DIR", " [ID]" for a value that may be left out.
QString valueSpelling(const OptionRow& row) {
    if (!row.valueName)
        return {};
    const QString value = QLatin1String(row.valueName);
    return row.argument == OptionArgument::Optional ? QStringLiteral(" [") + value + u']' : u' ' + value;
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
    Parser(const QStringList& arguments, const ConsoleTexts& texts)
        : m_arguments(arguments)
        , m_texts(texts) {}

    CommandLine run() {
        for (m_next = 1; m_next < m_arguments.size() && m_line.error.isEmpty();) {
            if (skipOptionsEnd())
                continue;
            const QString& argument = m_arguments[m_next++];
            if (m_optionsEnded)
                fail(QT_TRANSLATE_NOOP("CommandLine", "%1 はどのオプションの値でもありません"), {argument});
            else
                takeOption(argument);
        }
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
            return fail(QT_TRANSLATE_NOOP("CommandLine", "不明なオプションです: %1"), {argument});
        const QString option = QLatin1String(row->name);
        if (!m_seen.insert(row).second)
            return fail(QT_TRANSLATE_NOOP("CommandLine", "%1 が 2 回指定されています"), {option});
        if (row->argument == OptionArgument::None) {
            if (equals >= 0)
                return fail(QT_TRANSLATE_NOOP("CommandLine", "%1 は値をとりません"), {option});
            return failWith(row->apply(m_line, {}), {});
        }
        if (row->argument == OptionArgument::Optional && equals < 0 && !valueFollows())
            return failWith(row->apply(m_line, {}), {});
        if (equals < 0)
            skipOptionsEnd();
        if (equals < 0 && m_next >= m_arguments.size())
            return fail(QT_TRANSLATE_NOOP("CommandLine", "%1 には %2 が必要です"),
                        {option, QLatin1String(row->valueName)});
        takeValue(*row, equals < 0 ? m_arguments[m_next++] : argument.mid(equals + 1));
        for (int more = 0; more < row->moreValues && valueFollows(); ++more)
            takeValue(*row, m_arguments[m_next++]);
        if (row->moreValues && valueFollows())
            fail(row->tooManyValues ? row->tooManyValues
                                    : QT_TRANSLATE_NOOP("CommandLine", "%1 は %2 の値としては余分です"),
                 {m_arguments[m_next], option});
    }

    // Whether the next argument is a value rather than an option: after "--", every one is.
    bool valueFollows() {
        skipOptionsEnd();
        return m_next < m_arguments.size() && (m_optionsEnded || !m_arguments[m_next].startsWith(u'-'));
    }

    // Steps over the first "--", which ends the options; true when it did.
    bool skipOptionsEnd() {
        if (m_optionsEnded || m_next >= m_arguments.size() || m_arguments[m_next] != QLatin1String("--"))
            return false;
        m_optionsEnded = true;
        ++m_next;
        return true;
    }

    void takeValue(const OptionRow& row, const QString& value) {
        const QStringList names{QLatin1String(row.name), QLatin1String(row.valueName), value};
        if (value.isEmpty())
            return fail(QT_TRANSLATE_NOOP("CommandLine", "%1 には %2 が必要です。空の値は使えません"), names);
        // A forgotten value must not turn the next option into a file name; "./-x" names a file -x,
        // and so does "-x" after "--".
        if (value.startsWith(u'-') && !m_optionsEnded)
            return fail(QT_TRANSLATE_NOOP("CommandLine",
                                          "%1 には %2 が必要です。オプション %3 は値になりません "
                                          "(その名前のファイルなら ./%3 と書きます)"),
                        names);
        failWith(row.apply(m_line, value), {value});
    }

    void checkCombination() {
        std::vector<QString> jobs;
        for (const OptionRow* row : m_seen)
            if (row->job)
                jobs.push_back(QLatin1String(row->name));
        std::sort(jobs.begin(), jobs.end());
        if (jobs.size() > 1)
            fail(QT_TRANSLATE_NOOP("CommandLine", "%1 と %2 は同時に指定できません"), {jobs[0], jobs[1]});
        else if (m_line.image && (m_line.machine || m_line.create || !jobs.empty()))
            fail(QT_TRANSLATE_NOOP("CommandLine",
                                   "--image は専用のマシンフォルダを開くため、--machine、--create "
                                   "やほかのジョブと同時に指定できません"));
        else if (m_line.vm && (m_line.image || m_line.machine || m_line.create || !jobs.empty()))
            fail(QT_TRANSLATE_NOOP("CommandLine",
                                   "--vm はその仮想マシン専用のマシンフォルダを開くため、--image、--machine、"
                                   "--create やほかのジョブと同時に指定できません"));
        else if (m_line.json && !m_line.listVms && !m_line.info)
            fail(QT_TRANSLATE_NOOP("CommandLine", "--json は --list-vms か --info と一緒に使います"));
        else if (m_line.chooseMachine && (m_line.machine || m_line.image || m_line.vm || !jobs.empty()))
            fail(QT_TRANSLATE_NOOP("CommandLine", "--choose-machine は開くマシンを選ぶため、--machine、"
                                                  "--image やジョブと同時に指定できません"));
        else if (!jobs.empty() && m_line.screenshotDir)
            fail(
                QT_TRANSLATE_NOOP("CommandLine",
                                  "%1 はウィンドウを開かずに終わるため、--screenshot と同時に指定できません"),
                {jobs[0]});
        else if (const char* problem = checkMachineJob(m_line.job, m_line.machine.has_value()))
            fail(problem);
    }

    // Keeps the first problem.
    void fail(const char* source, const QStringList& args = {}) {
        if (m_line.error.isEmpty())
            m_line.error = m_texts.text(source, args);
    }

    // An option's own complaint, if it has one.
    void failWith(const QString& source, const QStringList& args) {
        if (!source.isEmpty())
            fail(source.toUtf8().constData(), args);
    }

    const QStringList& m_arguments;
    const ConsoleTexts& m_texts;
    qsizetype m_next = 1;
    bool m_optionsEnded = false;
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

CommandLine parseCommandLine(const QStringList& arguments, const ConsoleTexts& texts) {
    return Parser(arguments, texts).run();
}

CommandLine parseCommandLine(const QStringList& arguments) {
    return parseCommandLine(arguments, ConsoleTexts());
}

namespace {

constexpr std::pair<OptionGroup, const char*> GroupHeadings[] = {
    {OptionGroup::Window, "The window:"},
    {OptionGroup::MachineFolders, "Machine folders:"},
    {OptionGroup::RoundTrip, "Changes back to Windows 98:"},
    {OptionGroup::RegistryFiles, "Windows 98's registry files:"},
    {OptionGroup::DiskImages, "Disk images:"},
};

// "  -h, --help               text", the text's lines at HelpColumn.
QString helpLine(const OptionRow& row) {
    const QString shortPart = row.shortName ? shortForm(row) + QStringLiteral(", ") : QStringLiteral("    ");
    const QString left = QStringLiteral("  ") + shortPart + QLatin1String(row.name) + valueSpelling(row);
    const QString indent(HelpColumn, u' ');
    // An option too long for its column has its text start on the next line.
    return (left.size() < HelpColumn - 1 ? left.leftJustified(HelpColumn - 1) + u' '
                                         : left + u'\n' + indent) +
           QString(QLatin1String(row.help)).replace(u'\n', u'\n' + indent) + u'\n';
}

} // namespace

QString usageText() {
    QString text = QStringLiteral("Usage: kavendel [OPTION]...\n"
                                  "Tune the display driver of a Windows 98 machine folder, disk image or\n"
                                  "registry; without a job, open the window.\n");
    for (const auto& [group, heading] : GroupHeadings) {
        text += u'\n' + QLatin1String(heading) + u'\n';
        for (const OptionRow& row : Options)
            if (row.group == group)
                text += helpLine(row);
    }
    return text + QStringLiteral("\nAn option's value may follow as the next argument or after '='; after\n"
                                 "'--', every argument is a value, even one beginning with '-'.\n"
                                 "Without --machine, Kavendel works on $XDG_DATA_HOME/kavendel/machine,\n"
                                 "made on first start. Exit status: 0 done, 1 failed, 2 bad usage.\n"
                                 "See kavendel(1).\n");
}

QString machineFolderProblem(const CommandLine& line, const fs::path& dir, const ConsoleTexts& texts) {
    const QString name = displayed(dir);
    if (line.create || line.job.kind == MachineJob::Kind::Import ||
        line.job.kind == MachineJob::Kind::ImportImage) {
        const QString option = line.create ? QStringLiteral("--create")
                               : line.job.kind == MachineJob::Kind::ImportImage
                                   ? QStringLiteral("--import-image")
                                   : QStringLiteral("--import");
        if (anythingAt(dir) && !isDirectory(dir))
            return texts.text(
                QT_TRANSLATE_NOOP("CommandLine", "%1 はファイルです。%2 は新しいマシンフォルダを作ります"),
                {name, option});
        if (anythingAt(dir) && !isEmptyDirectory(dir))
            return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 はすでにあり、空のフォルダではありません。"
                                                               "%2 は新しいマシンフォルダを作ります"),
                              {name, option});
        return {};
    }
    if (!line.machine)
        return {}; // the default folder is made on first start
    if (!isDirectory(dir))
        return texts.text(
            anythingAt(dir)
                ? QT_TRANSLATE_NOOP("CommandLine", "%1 はフォルダではありません "
                                                   "(新しいマシンフォルダは --create で作ります)")
                : QT_TRANSLATE_NOOP("CommandLine", "%1 というフォルダはありません "
                                                   "(新しいマシンフォルダは --create で作ります)"),
            {name});
    if (!anythingAt(MachineFolder::registryFileIn(dir)))
        return texts.text(QT_TRANSLATE_NOOP("CommandLine",
                                            "%1 はマシンフォルダではありません: registry.reg がありません "
                                            "(新しいマシンフォルダは --create で作ります)"),
                          {name});
    return {};
}

namespace {

// Why file, named for option to be read, cannot be: it is missing, a folder, or (to import) empty.
QString inputFileProblem(const fs::path& file, const QString& option, const ConsoleTexts& texts) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status))
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 というファイルはありません"),
                          {displayed(file)});
    if (fs::is_directory(status))
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 はフォルダです。%2 にはファイルを指定します"),
                          {displayed(file), option});
    if (option == QLatin1String("--import") && fs::is_regular_file(status) && fs::file_size(file, error) == 0)
        return texts.text(QT_TRANSLATE_NOOP("CommandLine",
                                            "%1 は空のファイルです。--import には Windows 98 の"
                                            "レジストリを指定します"),
                          {displayed(file)});
    return {};
}

} // namespace

QString pathArgumentProblem(const CommandLine& line, const ConsoleTexts& texts) {
    const auto folderWanted = [&](const std::optional<fs::path>& dir, const char* option, bool mustExist) {
        if (!dir || isDirectory(*dir) || (!mustExist && !anythingAt(*dir)))
            return QString();
        return texts.text(
            QT_TRANSLATE_NOOP("CommandLine", "%1 はフォルダではありません。%2 にはフォルダを指定します"),
            {displayed(*dir), QLatin1String(option)});
    };
    QString problem = folderWanted(line.job.driveC, "--drive-c", true);
    if (problem.isEmpty())
        problem = folderWanted(line.screenshotDir, "--screenshot", false);
    if (problem.isEmpty() && line.cpuFile)
        problem = inputFileProblem(*line.cpuFile, QStringLiteral("--cpu"), texts);
    for (const fs::path& file : line.job.importFiles)
        if (problem.isEmpty())
            problem = inputFileProblem(file, QStringLiteral("--import"), texts);
    for (const fs::path& file : line.job.hiveFiles)
        if (problem.isEmpty())
            problem = inputFileProblem(file, QStringLiteral("--write-hives"), texts);
    if (problem.isEmpty() && line.job.image)
        problem = inputFileProblem(*line.job.image, QStringLiteral("--import-image"), texts);
    if (problem.isEmpty() && line.image)
        problem = inputFileProblem(*line.image, QStringLiteral("--image"), texts);
    return problem;
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
