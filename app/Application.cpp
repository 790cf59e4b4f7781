#include "Application.h"

#include "CommandLine.h"
#include "EchoingDialogs.h"
#include "HostCpu.h"
#include "MachineRegistry.h"
#include "WindowFont.h"
#include "ver.h"

#include "Dialogs.h"
#include "HandlerGuard.h"
#include "Launcher.h"
#include "MachineFolder.h"
#include "Main.h"
#include "MessageLog.h"
#include "MillisecondClock.h"
#include "OsVersion.h"
#include "Screenshot.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

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

// The application's name is the window class that docks and task bars group by.
void nameApplication() {
    QApplication::setApplicationName(ApplicationTitle);
    QGuiApplication::setDesktopFileName(DesktopFileName);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/") + DesktopFileName + QStringLiteral(".png")));
}

int runWindow(int argc, char** argv, const CommandLine& line, const fs::path& machineDir) {
    QApplication app(argc, argv);
    nameApplication();
    installWindowFont();
    // In the headless render no box may block: each is answered OK and logged instead.
    std::unique_ptr<Dialogs> boxes;
    if (line.screenshotDir)
        boxes = std::make_unique<MessageLog>(*line.screenshotDir / "messages.txt");
    else
        boxes = std::make_unique<QtDialogs>();
    EchoingDialogs dialogs(*boxes, stderr);

    const MachineFolder machine(machineDir);
    std::unique_ptr<SettingsStore> store;
    try {
        store = openMachineRegistry(machine, dialogs);
    } catch (const std::exception& e) {
        dialogs.message(ApplicationTitle, errorBoxText(QString::fromUtf8(e.what())), Dialogs::Icon::Error);
        return ExitFailure;
    }

    MachineOsVersion osVersion(*store);
    MonotonicClock clock;
    HostCpu cpu;
    DesktopLauncher launcher;
    const Services services{*store, dialogs, machine, osVersion, clock, cpu, launcher};

    TForm1 form(services);
    if (form.quitRequested())
        return 0;
    // The window owns the about box, created hidden after it.
    form.setAboutBox(new TAboutBox(services, &form));
    if (line.screenshotDir)
        return renderScreenshots(form, *line.screenshotDir);
    form.show();
    return QApplication::exec();
}

} // namespace

int runApplication(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
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
    const fs::path machineDir = line.machine.value_or(MachineFolder::defaultLocation());
    if (const QString problem = machineFolderProblem(line, machineDir); !problem.isEmpty())
        return usageError(problem);
    if (line.create)
        return createMachine(machineDir);
    if (line.screenshotDir)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else if (lacksDisplay(systemEnvironment)) {
        print(stderr, NoDisplayMessage + u'\n');
        return ExitFailure;
    }
    return runWindow(argc, argv, line, machineDir);
}

} // namespace kv
