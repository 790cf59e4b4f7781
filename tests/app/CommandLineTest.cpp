// The command line: what each spelling means, the display check, and the program's refusals,
// run as a user runs them, each of which must leave the disk as it was.
#include "CommandLine.h"
#include "FileContents.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace kv;

namespace {

TEST(CommandLine, ReadsEachSpelling) {
    struct Row {
        QStringList arguments;
        std::optional<std::filesystem::path> machine = std::nullopt;
        bool create = false, help = false, version = false;
    };
    const Row rows[] = {
        {.arguments = {"--machine", "/m"}, .machine = "/m"},
        {.arguments = {"--machine=/m"}, .machine = "/m"},
        {.arguments = {"--create", "--machine", "./-odd"}, .machine = "./-odd", .create = true},
        {.arguments = {"-h"}, .help = true},
        {.arguments = {"--help"}, .help = true},
        {.arguments = {"-V"}, .version = true},
    };
    for (const Row& row : rows) {
        const CommandLine line = parseCommandLine(QStringList{"kavendel"} + row.arguments);
        const std::string name = row.arguments.join(u' ').toStdString();
        EXPECT_TRUE(line.error.isEmpty()) << name << ": " << line.error.toStdString();
        EXPECT_EQ(line.machine, row.machine) << name;
        EXPECT_EQ(line.create, row.create) << name;
        EXPECT_EQ(line.help, row.help) << name;
        EXPECT_EQ(line.version, row.version) << name;
    }
    EXPECT_EQ(parseCommandLine({"kavendel", "--screenshot=/s"}).screenshotDir, std::filesystem::path("/s"));
    EXPECT_EQ(parseCommandLine({"kavendel", "--cpu", "k6.txt"}).cpuFile, std::filesystem::path("k6.txt"));
}

TEST(CommandLine, KnowsWhenThereIsNoDisplay) {
    struct Row {
        std::map<std::string, QByteArray> environment;
        bool lacksDisplay;
    };
    const Row rows[] = {
        {{}, true},
        {{{"DISPLAY", ":0"}}, false},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, false},
        {{{"DISPLAY", ""}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, false},
        {{{"QT_QPA_PLATFORM", "minimal:enable_fonts"}}, false},
        {{{"QT_QPA_PLATFORM", "wayland;offscreen"}}, false},
        {{{"QT_QPA_PLATFORM", "xcb"}}, true},
        {{{"QT_QPA_PLATFORM", "wayland;xcb"}}, true},
    };
    for (const Row& row : rows) {
        const auto environment = [&](const char* name) {
            const auto found = row.environment.find(name);
            return found == row.environment.end() ? QByteArray() : found->second;
        };
        EXPECT_EQ(lacksDisplay(environment), row.lacksDisplay)
            << (row.environment.empty() ? "nothing set" : row.environment.begin()->second.toStdString());
    }
}

// Every option is listed under its heading, with its exact values, within 80 columns.
TEST(CommandLine, HelpListsEveryOptionWithinEightyColumns) {
    const QString help = usageText();
    for (const QString& line : help.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    for (const OptionRow& row : commandLineOptions()) {
        const QRegularExpression listed(QStringLiteral("^  (-\\w, |    )") +
                                            QRegularExpression::escape(QLatin1String(row.name)) +
                                            QStringLiteral("[ \n]"),
                                        QRegularExpression::MultilineOption);
        EXPECT_EQ(help.count(listed), 1) << row.name;
    }
    EXPECT_TRUE(help.contains(QStringLiteral("--import FILE [FILE]")));
    EXPECT_TRUE(help.contains(QStringLiteral("--write-hives SYSTEM.DAT USER.DAT")));
}

// Every option has its paragraph in the manual, and one that takes a value its completion.
TEST(CommandLine, EachOptionIsInTheManualAndTheCompletion) {
    QFile manual(KAVENDEL_SOURCE_DIR "/packaging/kavendel.1.scd.in");
    QFile completion(KAVENDEL_SOURCE_DIR "/packaging/kavendel.bash");
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    ASSERT_TRUE(completion.open(QIODevice::ReadOnly));
    const QByteArray manualText = manual.readAll();
    const QByteArray completionText = completion.readAll();
    for (const OptionRow& row : commandLineOptions()) {
        // A paragraph starts with the option's line, "*-h*, *--help*", then an indented text.
        const QRegularExpression paragraph(QStringLiteral("^(\\*-\\w\\*, )?\\*") +
                                               QRegularExpression::escape(QLatin1String(row.name)) +
                                               QStringLiteral("\\*.*\n\t"),
                                           QRegularExpression::MultilineOption);
        EXPECT_TRUE(paragraph.match(QString::fromUtf8(manualText)).hasMatch()) << row.name;
        if (row.argument == OptionArgument::Required) {
            EXPECT_TRUE(completionText.contains(row.name)) << row.name;
        }
    }
}

// A folder to run the program in, with a plain empty folder, a folder holding a file, files
// that are no registry export, a machine folder whose registry is empty, and a home whose
// configuration asks for English.
class Sandbox {
public:
    Sandbox() {
        for (const char* dir : {"plain", "home/.config/kavendel", "full", "blank", "made/drive_c"})
            QDir(m_dir.path()).mkpath(QString::fromLatin1(dir));
        write("full/notes.txt", "mine");
        write("empty.reg", "");
        write("later.reg", std::string("\xFF\xFEW\0i\0", 6));
        write("blank/registry.reg", "");
        write("made/registry.reg", "REGEDIT4\r\n\r\n");
        write("home/.config/kavendel/kavendel.conf", "lang=en\n");
    }

    // Runs kavendel here with HOME here (or with no HOME at all), and no display unless one
    // is named.
    int run(const QStringList& arguments, QString* standardError, bool withHome = true,
            const QString& display = {}, QString* standardOutput = nullptr) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        if (withHome)
            environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(KAVENDEL_PROGRAM), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        *standardError = QString::fromLocal8Bit(process.readAllStandardError());
        if (standardOutput)
            *standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
        return process.exitCode();
    }

    std::set<QString> contents() const {
        std::set<QString> paths;
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            paths.insert(it.next());
        return paths;
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void write(const char* name, const std::string& bytes) const {
        std::ofstream(m_dir.filePath(QString::fromLatin1(name)).toStdString(), std::ios::binary) << bytes;
    }

private:
    QTemporaryDir m_dir;
};

TEST(CommandLine, RefusesAndLeavesNoTrace) {
    struct Row {
        QStringList arguments;
        int exitCode;
        QString message;
        QString display = {};
    };
    // 2 when the command line alone is wrong, 1 when a file or folder is; English comes from
    // the configuration file, Japanese from --lang ja.
    const Row rows[] = {
        {{"--machine", "typo/machin"}, 1, "typo/machin: no such folder"},
        {{"--machine", ""}, 2, "--machine needs DIR, not an empty word"},
        {{"--machine="}, 2, "--machine needs DIR, not an empty word"},
        {{"--machine", "--help"}, 2, "--machine needs DIR, not the option --help"},
        {{"--screenshot", "-V"}, 2, "--screenshot needs DIR, not the option -V"},
        {{"--machine"}, 2, "--machine needs DIR"},
        {{"--machine", "plain"}, 1, "plain is not a machine folder: it holds no registry.reg"},
        {{"--machine", "full/notes.txt"}, 1, "full/notes.txt: not a folder"},
        {{"--machine", "full", "--create"}, 1, "full already exists and is not an empty folder"},
        {{"--create", "--screenshot", "shots"}, 2, "cannot be combined with --screenshot"},
        {{"--machine", "plain", "--machine", "plain"}, 2, "--machine is given twice"},
        {{"--help=yes"}, 2, "--help takes no value"},
        {{"-x"}, 2, "kavendel: unknown option: -x\nkavendel: Try 'kavendel --help'"},
        {{"--machine", "typo/machin", "--screenshot", "shots"}, 1, "typo/machin: no such folder"},
        {{}, 1, "kavendel: no display: set DISPLAY or WAYLAND_DISPLAY, or use --screenshot DIR\n"},
        {{},
         1,
         "kavendel: cannot open the display that DISPLAY or WAYLAND_DISPLAY names",
         ":97"}, // no server
        {{"--machine", "new", "--import", "empty.reg"}, 1, "empty.reg is an empty file"},
        {{"--machine", "new", "--import", "plain"}, 1, "plain is a folder; --import needs a file"},
        {{"--machine", "new", "--import", "a", "b", "c"},
         2,
         "--import takes one .reg file or two hive files"},
        {{"--machine", "new", "--import", "later.reg"}, 1, "export with the file type Win9x/NT4"},
        {{"--machine", "new", "--import", "full/notes.txt"}, 1, "notes.txt: the first line is not REGEDIT4"},
        {{"--machine", "new", "--import", "full/notes.txt", "--lang", "ja"},
         1,
         "1 行目が REGEDIT4 ではありません"},
        {{"-x", "--lang=ja"},
         2,
         "kavendel: 不明なオプションです: -x\nkavendel: 使い方は 'kavendel --help' で表示されます。\n"},
        {{"--machine", "full/notes.txt", "--create"}, 1, "full/notes.txt is a file; --create makes a new"},
        {{"--cpu", "/dev/null", "--screenshot", "shots"}, 1, "/dev/null holds no recorded processor"},
        {{"--cpu", "plain", "--screenshot", "shots"}, 1, "plain is a folder; --cpu needs a file"},
        {{"--cpu", "full/notes.txt", "--screenshot", "shots"}, 1, "full/notes.txt:1: unknown line \"mine\""},
        {{"--cpu", "full/notes.txt", "--screenshot", "shots", "--lang", "ja"},
         1,
         "full/notes.txt:1: 不明な行「mine」"},
        {{"--screenshot", "full/notes.txt"},
         1,
         "full/notes.txt is not a folder; --screenshot needs a folder"},
        {{"--machine", "new", "--import", "full/notes.txt", "--drive-c", "full/notes.txt"},
         1,
         "--drive-c needs a folder"},
        {{"--machine", "blank", "--snapshots"}, 1, "blank/registry.reg: empty file, no REGEDIT4 header"},
        {{"--machine", "blank", "--export-changes"}, 1, "there is no snapshot of blank yet"},
        {{"--machine", "blank", "--restore", "01"}, 2, "01 is not a snapshot id"},
        {{"--machine", "blank", "--export-changes", "x", "--lang", "ja"},
         2,
         "x はスナップショットの ID ではありません"},
        {{"--choose-machine", "--machine", "plain"}, 2, "--choose-machine picks the machine to open"},
        {{"--machine", "new", "--import", "--", "-x.reg"}, 1, "-x.reg: no such file"},
        {{"--machine", "plain", "--", "stray"}, 2, "stray is no option's value"},
        {{"--json"}, 2, "--json goes with --list-vms"},
        {{"--vm", "Win98", "--machine", "blank"}, 2, "--vm opens the machine folder of that virtual machine"},
        {{"--vm", "Win98 Voodoo box"}, 1, "no virtual machine is named Win98 Voodoo box"},
        {{"--machine", "made", "--restore", "999"}, 1, "there is no snapshot 999 in made/snapshots"},
        {{"--machine", "made", "--restore", "999", "--lang", "ja"},
         1,
         "made/snapshots にスナップショット 999 はありません"},
        {{"--machine", "new", "--import-image", "full/notes.txt"},
         1,
         "full/notes.txt is too small to hold a disk"},
        {{"--machine", "new", "--import-image", "full/notes.txt", "--lang", "ja"},
         1,
         "full/notes.txt はディスクを含むには小さすぎます"},
        {{"--machine", "new", "--import", "full/notes.txt", "later.reg"},
         1,
         "full/notes.txt: not a Windows 95/98/Me registry file"},
        {{"--machine", "new", "--import", "full/notes.txt", "later.reg", "--lang", "ja"},
         1,
         "full/notes.txt は Windows 95/98/Me のレジストリファイルではありません"},
    };
    for (const Row& row : rows) {
        const Sandbox sandbox;
        const std::set<QString> before = sandbox.contents();
        QString error;
        const std::string name = row.arguments.join(u' ').toStdString();
        EXPECT_EQ(sandbox.run(row.arguments, &error, true, row.display), row.exitCode)
            << name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(row.message)) << name << ": " << error.toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("kavendel: "))) << name << ": " << error.toStdString();
        EXPECT_EQ(sandbox.contents(), before) << name;
    }
}

// A line of kavendel.conf that Kavendel does not read is said once, with its number; the rest
// of the file still counts.
TEST(CommandLine, UnknownSettingsAreSaidOnce) {
    const Sandbox sandbox;
    sandbox.write("home/.config/kavendel/kavendel.conf", "# mine\nlang=fr\ncolour=blue\nlang=en\n");
    QString error, output;
    EXPECT_EQ(sandbox.run({"--version"}, &error, true, {}, &output), 0);
    const QString file = sandbox.path(QStringLiteral("home/.config/kavendel/kavendel.conf"));
    EXPECT_EQ(error,
              QStringLiteral("kavendel: %1:3: a line Kavendel does not know: colour=blue (it reads lang= "
                             "and machine=)\nkavendel: %1: lang=fr is neither ja nor en, and is not read\n")
                  .arg(file));
}

// Without HOME and XDG_DATA_HOME there is no default machine folder: nothing is made in the
// current folder instead, and a named one still works.
TEST(CommandLine, WithoutHomeTheDefaultMachineIsRefused) {
    const Sandbox sandbox;
    const std::set<QString> before = sandbox.contents();
    QString error;
    for (const QStringList& arguments :
         {QStringList{"--screenshot", "shots"}, {"--snapshot"}, {"--create"}}) {
        EXPECT_EQ(sandbox.run(arguments, &error, false), 2) << arguments.join(u' ').toStdString();
        // Without a configuration file, the language is Japanese, as the window's is.
        EXPECT_TRUE(error.contains(QStringLiteral("既定のマシンフォルダがありません")))
            << error.toStdString();
    }
    EXPECT_EQ(sandbox.contents(), before);
    EXPECT_EQ(sandbox.run({"--create", "--machine", "plain"}, &error, false), 0) << error.toStdString();
}

TEST(CommandLine, CreateMakesAnEmptyMachineFolderAndEnds) {
    const Sandbox sandbox;
    QString error, output;
    for (const QString& dir : {QStringLiteral("plain"), QStringLiteral("new/machine")}) {
        EXPECT_EQ(sandbox.run({"--create", "--machine", dir}, &error, true, {}, &output), 0)
            << error.toStdString();
        EXPECT_EQ(output, QStringLiteral("created the machine folder ") + dir + u'\n');
        QFile registry(sandbox.path(dir + QStringLiteral("/registry.reg")));
        ASSERT_TRUE(registry.open(QIODevice::ReadOnly)) << dir.toStdString();
        EXPECT_EQ(registry.readAll(), QByteArray("REGEDIT4\r\n\r\n"));
        EXPECT_TRUE(QDir(sandbox.path(dir + QStringLiteral("/drive_c"))).isEmpty());
    }
}

// A start-up error box is also written to standard error; the file it names stays untouched.
TEST(CommandLine, StartUpErrorsGoToStandardError) {
    const Sandbox sandbox;
    const QByteArray notRegedit4("Windows Registry Editor Version 5.00\r\n");
    {
        QFile registry(sandbox.path(QStringLiteral("plain/registry.reg")));
        ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
        registry.write(notRegedit4);
    }
    QString error;
    EXPECT_EQ(sandbox.run({"--machine", "plain", "--screenshot", "shots"}, &error), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("kavendel: plain/registry.reg:"))) << error.toStdString();
    QFile registry(sandbox.path(QStringLiteral("plain/registry.reg")));
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    EXPECT_EQ(registry.readAll(), notRegedit4);
}

// A start on a machine without the driver creates the driver's keys empty, as every start
// does, and that is no change: no snapshot is taken, nothing is left to export or write back.
TEST(CommandLine, AStartOnADriverlessMachineChangesNothing) {
    const Sandbox sandbox;
    QString error, output;
    const QString hives = QStringLiteral(KAVENDEL_TEST_DATA "/hives/");
    ASSERT_EQ(sandbox.run({"--machine", "me", "--import", hives + "SYSTEM.DAT", hives + "USER.DAT"}, &error),
              0)
        << error.toStdString();
    ASSERT_EQ(sandbox.run({"--machine", "me", "--snapshot"}, &error), 0) << error.toStdString();
    ASSERT_EQ(sandbox.run({"--machine", "me", "--screenshot", "shots"}, &error), 0) << error.toStdString();
    for (const QString& line : error.split(u'\n', Qt::SkipEmptyParts)) // Qt's own warnings too
        EXPECT_TRUE(line.startsWith(QStringLiteral("kavendel: "))) << line.toStdString();
    const std::string registry =
        test::fileContents(sandbox.path(QStringLiteral("me/registry.reg")).toStdString());
    EXPECT_NE(registry.find("\\ATI Technologies\\Driver\\0000\\OpenGL]"), std::string::npos)
        << "the keys are still created";
    EXPECT_EQ(sandbox.run({"--machine", "me", "--snapshots"}, &error, true, {}, &output), 0);
    EXPECT_EQ(output.count(u'\n'), 2) << "a heading and the snapshot taken by hand: " << output.toStdString();
    EXPECT_EQ(sandbox.run({"--machine", "me", "--export-changes", "1"}, &error, true, {}, &output), 0);
    EXPECT_EQ(error, QStringLiteral("kavendel: no changes since snapshot 1\n"));
}

// Until the user has chosen a machine, every start shows the first-run dialog; a render
// saves its picture, lists it, and chooses nothing.
TEST(CommandLine, TheFirstRunDialogComesBackUntilAChoiceIsMade) {
    const Sandbox sandbox;
    for (int run = 0; run < 2; ++run) {
        QString error, output;
        ASSERT_EQ(sandbox.run({"--screenshot", "shots"}, &error, true, {}, &output), 0)
            << error.toStdString();
        EXPECT_TRUE(output.startsWith(QStringLiteral("shots/00-FirstRunDialog.png\n")))
            << output.toStdString();
    }
}

} // namespace
