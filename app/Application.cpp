#include "Application.h"

#include "CommandLine.h"
#include "EchoingDialogs.h"
#include "HostCpu.h"
#include "Language.h"
#include "MachineRegistry.h"
#include "ReplayCpu.h"
#include "WindowFont.h"
#include "ver.h"

#include "Dialogs.h"
#include "FirstRunDialog.h"
#include "Launcher.h"
#include "MachineFolder.h"
#include "Main.h"
#include "MessageLog.h"
#include "MillisecondClock.h"
#include "OsVersion.h"
#include "QtDialogs.h"
#include "RunSafety.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "Translation.h"
#include "UserConfig.h"
#include "Widgets.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace kv {

namespace {

namespace fs = std::filesystem;

// The desktop entry that docks and task bars match the window to.
const QString DesktopFileName = QStringLiteral("org.example.kavendel");

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int usageError(const QString& error) {
    print(stderr, QStringLiteral("kavendel: ") + error + QStringLiteral("\nTry 'kavendel --help'.\n"));
    return ExitUsage;
}

QByteArray systemEnvironment(const char* name) {
    return qgetenv(name);
}

int createMachine(const fs::path& dir) {
    try {
        MachineFolder(dir).ensureCreated();
    } catch (const fs::filesystem_error& e) {
        print(stderr, QStringLiteral("kavendel: cannot create ") + QFile::decodeName(dir.c_str()) +
                          QStringLiteral(": ") + QString::fromStdString(e.code().message()) + u'\n');
        return ExitFailure;
    }
    return 0;
}

FirstRunPlaces firstRunPlaces(const fs::path& defaultMachine) {
    fs::path demo =
        fs::path(QCoreApplication::applicationDirPath().toStdString()) / "../share/kavendel/demo-machine";
    std::error_code ec;
    if (!fs::is_directory(demo, ec))
        demo = KAVENDEL_SOURCE_DEMO_MACHINE; // run from the build tree
    return {defaultMachine, demo, defaultMachine.parent_path() / "demo-machine"};
}

// Without --machine: the folder remembered from the last start, or the default; on a new one the
// first-run dialog comes first (the headless render saves its picture instead).
fs::path machineFolderOfRun(const CommandLine& line, const fs::path& defaultDir, Dialogs& dialogs) {
    if (line.machine)
        return *line.machine;
    const UserConfig config(UserConfig::defaultFile());
    const fs::path dir = machineToOpen(config, defaultDir);
    if (!isNewMachine(dir))
        return dir;
    FirstRunDialog dialog;
    if (line.screenshotDir) {
        fs::create_directories(*line.screenshotDir);
        dialog.grab().save(QString::fromStdString((*line.screenshotDir / "00-FirstRunDialog.png").string()));
        return dir;
    }
    QtFilePicker picker;
    return runFirstRun(dialog, picker, dialogs, firstRunPlaces(defaultDir), config).value_or(dir);
}

// The host's processor, or the one recorded in the file that --cpu names; null after saying
// why that file cannot be read.
std::unique_ptr<CpuInstructions> chooseCpu(const CommandLine& line) {
    if (!line.cpuFile)
        return std::make_unique<HostCpu>();
    try {
        return std::make_unique<ReplayCpu>(loadRecordedProcessor(*line.cpuFile));
    } catch (const RecordingError& e) {
        print(stderr, QStringLiteral("kavendel: ") + QString::fromLocal8Bit(e.what()) + u'\n');
        return nullptr;
    }
}

// The window icon, read as the PNG it is. Given only its name, Qt would first load every image
// plugin installed on the system to ask each whether it reads PNG, before any window exists.
QIcon programIcon() {
    QImageReader reader(QStringLiteral(":/icons/") + DesktopFileName + QStringLiteral(".png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

// The application's name is the window class that docks and task bars group by.
void nameApplication() {
    QApplication::setApplicationName(fromUtf8(ApplicationTitle));
    QGuiApplication::setDesktopFileName(DesktopFileName);
    QApplication::setWindowIcon(programIcon());
}

QtMessageHandler qtMessageHandler = nullptr;

// Qt aborts, dumping core, when no platform can open the display (DISPLAY names a server that
// is gone, say). Its fatal message ends the run as any other failure to start does instead.
void endRunOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        qtMessageHandler(type, context, message);
        return;
    }
    print(stderr, QStringLiteral("kavendel: ") + CannotOpenDisplayMessage + u'\n');
    std::fflush(stderr);
    std::_Exit(ExitFailure);
}

int& endingRunsOnFatalMessages(int& argc) {
    qtMessageHandler = qInstallMessageHandler(endRunOnFatalMessage);
    return argc;
}

// The application, made with fatal messages ending the run plainly while it opens the display.
class Application : public QApplication {
public:
    Application(int& argc, char** argv)
        : QApplication(endingRunsOnFatalMessages(argc), argv) {
        qInstallMessageHandler(qtMessageHandler);
    }
};

int runWindow(int argc, char** argv, const CommandLine& line, const fs::path& machineDir,
              CpuInstructions& cpu) {
    Application app(argc, argv);
    nameApplication();
    installWindowFont();
    QTranslator english;
    if (chosenLanguage(line.language, UserConfig(UserConfig::defaultFile())) == Language::English &&
        !installEnglish(english))
        print(stderr, QStringLiteral("kavendel: the English translation is missing; showing Japanese\n"));
    // In the headless render no box may block: each is answered OK and logged instead.
    std::unique_ptr<Dialogs> boxes;
    if (line.screenshotDir)
        boxes = std::make_unique<MessageLog>(*line.screenshotDir / "messages.txt");
    else
        boxes = std::make_unique<QtDialogs>();
    EchoingDialogs dialogs(*boxes, stderr);

    MachineFolder machine(machineFolderOfRun(line, machineDir, dialogs));
    // The run's first change, to the registry or to a file, is preceded by a snapshot.
    Snapshots snapshots(machine.dir());
    RunSafety safety(snapshots);
    machine.setChangeObserver([&safety](const fs::path& file) { safety.beforeFileChange(file); });
    std::unique_ptr<SettingsStore> fileStore;
    try {
        fileStore = openMachineRegistry(machine, dialogs);
    } catch (const std::exception& e) {
        dialogs.message(ApplicationTitle, errorBoxText(shownText(e).toStdString()), Dialogs::Icon::Error);
        return ExitFailure;
    }
    SafeguardedStore store(*fileStore, safety);

    MachineOsVersion osVersion(store);
    MonotonicClock clock;
    DesktopLauncher launcher;
    const Services services{store, dialogs, machine, osVersion, clock, cpu, launcher};

    TForm1 form(services);
    if (form.quitRequested())
        return 0;
    // The window owns the about box, created hidden after it.
    form.setAboutBox(new TAboutBox(services, &form));
    if (line.screenshotDir)
        return renderScreenshots(form, *line.screenshotDir);
    form.show();
    const int status = QApplication::exec();
    if (line.image)
        return std::max(status, offerImageWriteBack(dialogs, machine.dir()));
    return status;
}

} // namespace

int runApplication(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine line = parseCommandLine(arguments);
    if (!line.error.isEmpty())
        return usageError(line.error);
    if (line.help) {
        print(stdout, usageText());
        return 0;
    }
    if (line.version) {
        print(stdout, QStringLiteral("kavendel " KAVENDEL_VERSION "\n"));
        return 0;
    }
    const std::optional<fs::path> knownDir = line.machine ? line.machine : MachineFolder::defaultLocation();
    if (!knownDir)
        return usageError(QStringLiteral("no default machine folder: neither XDG_DATA_HOME nor HOME names "
                                         "an absolute folder; set one, or use --machine DIR"));
    fs::path machineDir = *knownDir;
    if (line.image) {
        const auto imageMachine = machineOfImage(*line.image, machineDir, std::cerr);
        if (!imageMachine)
            return ExitFailure;
        line.machine = machineDir = *imageMachine;
    }
    if (const QString problem = machineFolderProblem(line, machineDir); !problem.isEmpty())
        return usageError(problem);
    if (line.create)
        return createMachine(machineDir);
    if (line.job.kind != MachineJob::Kind::None)
        return runMachineJob(line.job, machineDir, std::cout, std::cerr);
    const std::unique_ptr<CpuInstructions> cpu = chooseCpu(line);
    if (!cpu)
        return ExitUsage;
    if (line.screenshotDir)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else if (lacksDisplay(systemEnvironment)) {
        print(stderr, NoDisplayMessage + u'\n');
        return ExitFailure;
    }
    return runWindow(argc, argv, line, machineDir, *cpu);
}

} // namespace kv
