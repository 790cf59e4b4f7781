#include "Application.h"

#include "CommandLine.h"
#include "Console.h"
#include "EchoingDialogs.h"
#include "HostCpu.h"
#include "Language.h"
#include "MachineRegistry.h"
#include "ReplayCpu.h"
#include "WindowFont.h"
#include "ver.h"

#include "Dialogs.h"
#include "Failure.h"
#include "FirstRunDialog.h"
#include "Guard.h"
#include "Launcher.h"
#include "MachineFolder.h"
#include "MachineInfo.h"
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
#include "VmJobs.h"
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
#include <utility>
#include <vector>

namespace kv {

namespace {

namespace fs = std::filesystem;

// The desktop entry that docks and task bars match the window to.
const QString DesktopFileName = QStringLiteral("org.example.kavendel");

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

QByteArray systemEnvironment(const char* name) {
    return qgetenv(name);
}

// Says why make could not create dir, and returns false, when it throws.
template <typename Make> bool creating(const fs::path& dir, const Console& console, Make make) {
    try {
        make();
        return true;
    } catch (const fs::filesystem_error& e) {
        const Failure failure(
            Message{
                "", "CommandLine", QT_TRANSLATE_NOOP("CommandLine", "%1 を作成できません"), {dir.string()}},
            e.code());
        console.error(console.texts().text(failure), ExitFailure);
        return false;
    }
}

bool makeFolder(const fs::path& dir, const Console& console) {
    return creating(dir, console, [&] { fs::create_directories(dir); });
}

int createMachine(const fs::path& dir, const Console& console) {
    if (!creating(dir, console, [&] { MachineFolder(dir).ensureCreated(); }))
        return ExitFailure;
    console.report(createdMachineText(dir, console.texts()));
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

// Without --machine: the folder the user chose on a first start. Until there is one, and with
// --choose-machine, each start offers the choices, and closing the dialog goes on with the
// remembered or the default folder. The headless render saves the dialog's picture and chooses
// nothing. Nothing when the user chose to quit.
std::optional<fs::path> machineFolderOfRun(const CommandLine& line, const fs::path& defaultDir,
                                           Dialogs& dialogs, const Console& console) {
    if (line.machine)
        return *line.machine;
    const UserConfig config(UserConfig::defaultFile());
    const auto remembered = rememberedMachine(config);
    if (remembered && !line.chooseMachine)
        return *remembered;
    const fs::path fallback = remembered.value_or(defaultDir);
    FirstRunDialog dialog(fallback, isNewMachine(fallback), machinesToOffer(defaultDir, console));
    if (line.screenshotDir) {
        saveScreenshot(dialog, *line.screenshotDir / "00-FirstRunDialog.png", console);
        return fallback;
    }
    QtFilePicker picker;
    const auto chosen = runFirstRun(dialog, picker, dialogs, firstRunPlaces(defaultDir), config);
    if (dialog.quitRequested())
        return std::nullopt;
    return chosen.value_or(fallback);
}

// The host's processor, or the one recorded in the file that --cpu names; null after saying
// why that file cannot be used, whatever is wrong with it.
std::unique_ptr<CpuInstructions> chooseCpu(const CommandLine& line, const Console& console) {
    if (!line.cpuFile)
        return std::make_unique<HostCpu>();
    try {
        RecordedProcessor recorded = loadRecordedProcessor(*line.cpuFile);
        // A processor with CPUID answers at least leaf 0; a file without one records nothing.
        if (recorded.idBitToggles && recorded.leaves.empty()) {
            console.error(
                console.texts().text(
                    QT_TRANSLATE_NOOP("CommandLine",
                                      "%1 にはプロセッサの記録がありません (--cpu には cpuid -r や "
                                      "cpuid_tool --save の出力か、Kavendel の再生形式を指定します)"),
                    {QFile::decodeName(line.cpuFile->c_str())}),
                ExitFailure);
            return nullptr;
        }
        return std::make_unique<ReplayCpu>(std::move(recorded));
    } catch (const Failure& e) {
        console.error(console.texts().text(e), ExitFailure);
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
// What a fatal message while the display opens says, in the interface language.
QString cannotOpenDisplay;
// A message of Qt's while the display opens, held until it is open.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> heldMessages;

// Qt aborts, dumping core, when no platform can open the display (DISPLAY names a server that
// is gone, say). Its fatal message ends the run as any other failure to start does instead,
// with one line of ours in place of the platform plugins' warnings that led to it.
void endRunOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        heldMessages.push_back({type, context.category, message});
        return;
    }
    print(stderr, QStringLiteral("kavendel: ") + cannotOpenDisplay + u'\n');
    std::fflush(stderr);
    std::_Exit(ExitFailure);
}

int& endingRunsOnFatalMessages(int& argc) {
    qtMessageHandler = qInstallMessageHandler(endRunOnFatalMessage);
    return argc;
}

// Kavendel says what it has to say itself; Qt's own warnings ("XDG_RUNTIME_DIR not set", a
// font it lacks) speak of Qt's setup, not of the user's machine, and stay unsaid unless whoever
// runs it asks for them with QT_LOGGING_RULES.
void quietQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qtMessageHandler(type, context, message);
}

// The application, made with fatal messages ending the run plainly while it opens the display.
class Application : public QApplication {
public:
    Application(int& argc, char** argv)
        : QApplication(endingRunsOnFatalMessages(argc), argv) {
        qInstallMessageHandler(quietQtMessage);
        for (const HeldMessage& held : std::exchange(heldMessages, {}))
            quietQtMessage(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category.constData()),
                           held.text);
    }
};

int runWindow(int argc, char** argv, const CommandLine& line, const fs::path& machineDir,
              CpuInstructions& cpu, const Console& console) {
    cannotOpenDisplay = console.texts().text(CannotOpenDisplayText);
    // Qt's own warnings, when asked for, begin as every message of the program does.
    qSetMessagePattern(QStringLiteral("kavendel: %{if-category}%{category}: %{endif}%{message}"));
    Application app(argc, argv);
    nameApplication();
    installWindowFont();
    QTranslator english;
    if (chosenLanguage(line.language, UserConfig(UserConfig::defaultFile())) == Language::English &&
        !installEnglish(english))
        console.error(QStringLiteral("the English translation is missing; showing Japanese"), 0);
    // In the headless render no box may block: each is answered OK and logged instead.
    std::unique_ptr<Dialogs> boxes;
    if (line.screenshotDir)
        boxes = std::make_unique<MessageLog>(*line.screenshotDir / "messages.txt");
    else
        boxes = std::make_unique<QtDialogs>();
    EchoingDialogs dialogs(*boxes, stderr);

    const auto machineDirOfRun = machineFolderOfRun(line, machineDir, dialogs, console);
    if (!machineDirOfRun)
        return 0;
    MachineFolder machine(*machineDirOfRun);
    // The run's first change, to the registry or to a file, is preceded by a snapshot.
    Snapshots snapshots(machine.dir());
    RunSafety safety(snapshots);
    machine.setChangeObserver([&safety](const fs::path& file) { safety.beforeFileChange(file); });
    std::unique_ptr<SettingsStore> fileStore;
    try {
        fileStore = openMachineRegistry(machine, dialogs);
    } catch (const std::exception& e) {
        showFailure(dialogs, e);
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
        return renderScreenshots(form, *line.screenshotDir, console);
    form.show();
    const int status = QApplication::exec();
    // Also for an image opened at the first start, or named with --machine.
    return std::max(status, offerImageWriteBack(dialogs, machine.dir()));
}

// Once a run, each line of kavendel.conf that Kavendel does not read, so that a misspelt key is
// not silently without effect.
void warnOfUnknownSettings(const Console& console) {
    const UserConfig config(UserConfig::defaultFile());
    for (const auto& [number, line] : config.unknownLines({"lang", "machine"}))
        console.notice(console.texts().text(
            QT_TRANSLATE_NOOP("CommandLine",
                              "%1:%2: Kavendel の知らない行です: %3 (読むのは lang= と machine= です)"),
            {QFile::decodeName(config.file().c_str()), QString::number(number),
             QString::fromStdString(line)}));
    for (const std::string& code : config.values("lang"))
        if (!languageNamed(QString::fromStdString(code)))
            console.notice(console.texts().text(
                QT_TRANSLATE_NOOP("CommandLine", "%1: lang=%2 は ja でも en でもないため、読みません"),
                {QFile::decodeName(config.file().c_str()), QString::fromStdString(code)}));
}

// --list-vms, which ends the run, and --vm, which names the image to open as --image does.
// Returns the exit status when the run ends here.
std::optional<int> takeVirtualMachine(CommandLine& line, const fs::path& defaultMachine,
                                      const Console& console) {
    const auto places = searchPlacesOfUser();
    if (!places)
        return console.error(
            console.texts().text(QT_TRANSLATE_NOOP(
                "CommandLine", "HOME が絶対パスのフォルダを示していないため、仮想マシンを探せません")),
            ExitFailure);
    if (line.listVms)
        return listVirtualMachines(*places, defaultMachine, line.json, console);
    int status = 0;
    const auto disk = diskOfVirtualMachine(*line.vm, *places, defaultMachine, console, status);
    if (!disk)
        return status;
    line.image = *disk;
    return std::nullopt;
}

} // namespace

int runApplication(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ConsoleTexts texts(consoleLanguage(arguments));
    const Console console(texts, std::cout, std::cerr);
    warnOfUnknownSettings(console);
    CommandLine line = parseCommandLine(arguments, texts);
    if (!line.error.isEmpty())
        return console.usage(line.error);
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
        return console.usage(texts.text(QT_TRANSLATE_NOOP(
            "CommandLine", "既定のマシンフォルダがありません: XDG_DATA_HOME も HOME も絶対パスのフォルダを"
                           "示していません。どちらかを設定するか、--machine DIR を使ってください")));
    fs::path machineDir = *knownDir;
    // What is wrong with a file or folder is a failure on files, not bad usage.
    if (const QString problem = pathArgumentProblem(line, texts); !problem.isEmpty())
        return console.error(problem, ExitFailure);
    if (line.listVms || line.vm)
        if (const auto status =
                takeVirtualMachine(line, MachineFolder::defaultLocation().value_or(machineDir), console))
            return *status;
    if (line.image) {
        const auto imageMachine = machineOfImage(*line.image, machineDir, console);
        if (!imageMachine)
            return ExitFailure;
        console.notice(
            texts.text(QT_TRANSLATE_NOOP("CommandLine", "ディスクイメージ %1 をマシンフォルダ %2 で開きます"),
                       {QFile::decodeName(line.image->c_str()), QFile::decodeName(imageMachine->c_str())}));
        line.machine = machineDir = *imageMachine;
    }
    if (const QString problem = machineFolderProblem(line, machineDir, texts); !problem.isEmpty())
        return console.error(problem, ExitFailure);
    if (line.create)
        return createMachine(machineDir, console);
    if (line.info)
        return printMachineInfo(machineDir, line.json, console);
    if (line.job.kind != MachineJob::Kind::None)
        return runMachineJob(line.job, machineDir, console);
    const std::unique_ptr<CpuInstructions> cpu = chooseCpu(line, console);
    if (!cpu)
        return ExitFailure;
    if (line.screenshotDir) {
        if (!makeFolder(*line.screenshotDir, console))
            return ExitFailure;
        removeEarlierRender(*line.screenshotDir);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else if (lacksDisplay(systemEnvironment)) {
        return console.error(texts.text(NoDisplayText), ExitFailure);
    }
    // What start-up does not report by itself, such as a render's file that cannot be made,
    // ends the run as a failure rather than an abort.
    try {
        return runWindow(argc, argv, line, machineDir, *cpu, console);
    } catch (const std::exception& e) {
        return console.error(texts.text(e), ExitFailure);
    }
}

} // namespace kv
