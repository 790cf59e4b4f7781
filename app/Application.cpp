#include "Application.h"

#include "CommandLine.h"
#include "HostCpu.h"
#include "MachineRegistry.h"
#include "WindowFont.h"
#include "ver.h"

#include "Dialogs.h"
#include "Launcher.h"
#include "MachineFolder.h"
#include "Main.h"
#include "MessageLog.h"
#include "MillisecondClock.h"
#include "OsVersion.h"
#include "QtDialogs.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "Widgets.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
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
    if (line.screenshotDir)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(fromUtf8(ApplicationTitle));
    installWindowFont();
    // In the headless render no box may block: each is answered OK and logged instead.
    std::unique_ptr<Dialogs> dialogs;
    if (line.screenshotDir)
        dialogs = std::make_unique<MessageLog>(*line.screenshotDir / "messages.txt");
    else
        dialogs = std::make_unique<QtDialogs>();

    const MachineFolder machine(line.machine.value_or(MachineFolder::defaultLocation()));
    std::unique_ptr<SettingsStore> store;
    try {
        store = openMachineRegistry(machine, *dialogs);
    } catch (const std::exception& e) {
        dialogs->message(ApplicationTitle, errorBoxText(e.what()), Dialogs::Icon::Error);
        return 1;
    }

    MachineOsVersion osVersion(*store);
    MonotonicClock clock;
    HostCpu cpu;
    DesktopLauncher launcher;
    const Services services{*store, *dialogs, machine, osVersion, clock, cpu, launcher};

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
