#include "Application.h"

#include "CommandLine.h"
#include "HostCpu.h"
#include "MachineRegistry.h"
#include "WindowFont.h"
#include "ver.h"

#include "Dialogs.h"
#include "FirstRunDialog.h"
#include "HandlerGuard.h"
#include "Launcher.h"
#include "MachineFolder.h"
#include "Main.h"
#include "MessageLog.h"
#include "MillisecondClock.h"
#include "OsVersion.h"
#include "RunSafety.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "UserConfig.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace kv {

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

FirstRunPlaces firstRunPlaces() {
    const std::filesystem::path defaultMachine = MachineFolder::defaultLocation();
    std::filesystem::path demo = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) /
                                 "../share/kavendel/demo-machine";
    std::error_code ec;
    if (!std::filesystem::is_directory(demo, ec))
        demo = KAVENDEL_SOURCE_DEMO_MACHINE; // run from the build tree
    return {defaultMachine, demo, defaultMachine.parent_path() / "demo-machine"};
}

// Without --machine: the folder remembered from the last start, or the default; on a new one the
// first-run dialog comes first (the headless render saves its picture instead).
std::filesystem::path machineFolderOfRun(const CommandLine& line, Dialogs& dialogs) {
    if (line.machine)
        return *line.machine;
    const UserConfig config(UserConfig::defaultFile());
    const std::filesystem::path dir = machineToOpen(config, MachineFolder::defaultLocation());
    if (!isNewMachine(dir))
        return dir;
    FirstRunDialog dialog;
    if (line.screenshotDir) {
        std::filesystem::create_directories(*line.screenshotDir);
        dialog.grab().save(QString::fromStdString((*line.screenshotDir / "00-FirstRunDialog.png").string()));
        return dir;
    }
    QtFilePicker picker;
    const auto chosen = runFirstRun(dialog, picker, dialogs, firstRunPlaces());
    if (!chosen)
        return dir;
    try {
        rememberMachine(config, *chosen);
    } catch (const std::exception&) {
        // Not remembered: the next start offers the choices again.
    }
    return *chosen;
}

} // namespace

int runApplication(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (!line.error.isEmpty()) {
        print(stderr, QStringLiteral("kavendel: ") + line.error + u'\n' + usageText());
        return 2;
    }
    if (line.help) {
        print(stdout, usageText());
        return 0;
    }
    if (line.version) {
        print(stdout, QStringLiteral("kavendel " KAVENDEL_VERSION "\n"));
        return 0;
    }
    if (line.job.kind != MachineJob::Kind::None)
        return runMachineJob(line.job, line.machine.value_or(MachineFolder::defaultLocation()), std::cout,
                             std::cerr);
    if (line.screenshotDir)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    installWindowFont();
    // In the headless render no box may block: each is answered OK and logged instead.
    std::unique_ptr<Dialogs> dialogs;
    if (line.screenshotDir)
        dialogs = std::make_unique<MessageLog>(*line.screenshotDir / "messages.txt");
    else
        dialogs = std::make_unique<QtDialogs>();

    MachineFolder machine(machineFolderOfRun(line, *dialogs));
    // The run's first change, to the registry or to a file, is preceded by a snapshot.
    Snapshots snapshots(machine.dir());
    RunSafety safety(snapshots);
    machine.setChangeObserver(
        [&safety](const std::filesystem::path& file) { safety.beforeFileChange(file); });
    std::unique_ptr<SettingsStore> fileStore;
    try {
        fileStore = openMachineRegistry(machine, *dialogs);
    } catch (const std::exception& e) {
        dialogs->message(ApplicationTitle, errorBoxText(QString::fromUtf8(e.what())), Dialogs::Icon::Error);
        return 1;
    }
    SafeguardedStore store(*fileStore, safety);

    MachineOsVersion osVersion(store);
    MonotonicClock clock;
    HostCpu cpu;
    DesktopLauncher launcher;
    const Services services{store, *dialogs, machine, osVersion, clock, cpu, launcher};

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

} // namespace kv
