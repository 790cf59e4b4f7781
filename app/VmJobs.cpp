#include "VmJobs.h"

#include "Console.h"
#include "Failure.h"
#include "FirstRunDialog.h"
#include "MachineJobs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kv {

namespace fs = std::filesystem;

namespace {

QString shown(const fs::path& path) {
    return QString::fromStdString(path.string());
}

QString windowsText(const vms::WindowsDisk& windows) {
    return QString::fromStdString(vms::windowsName(windows.versionNumber) + " (" + windows.versionNumber +
                                  ")");
}

QString listLine(const vms::SurveyedMachine& found, const ConsoleTexts& texts) {
    const QString none = texts.text(QT_TRANSLATE_NOOP("CommandLine", "なし"));
    const vms::WindowsDisk& windows = *found.windows;
    const QStringList columns{
        QString::fromUtf8(vms::emulatorName(found.machine.emulator)),
        QString::fromStdString(found.machine.name),
        shown(found.disk),
        QString::fromStdString(windows.format),
        QString::number(windows.partition),
        windowsText(windows),
        windows.radeonDriver ? QString::fromStdString(*windows.radeonDriver) : none,
        found.running ? texts.text(QT_TRANSLATE_NOOP("CommandLine", "はい"))
                      : texts.text(QT_TRANSLATE_NOOP("CommandLine", "いいえ")),
        found.machineFolder ? shown(*found.machineFolder) : none,
    };
    return columns.join(u'\t');
}

QJsonValue optionalText(const std::optional<std::string>& text) {
    return text ? QJsonValue(QString::fromStdString(*text)) : QJsonValue();
}

QJsonObject jsonOf(const vms::SurveyedMachine& found) {
    const vms::WindowsDisk& windows = *found.windows;
    const auto folder = found.machineFolder ? std::optional(found.machineFolder->string()) : std::nullopt;
    return QJsonObject{
        {"emulator", QString::fromUtf8(vms::emulatorName(found.machine.emulator))},
        {"name", QString::fromStdString(found.machine.name)},
        {"configuration", shown(found.machine.configuration)},
        {"disk", shown(found.disk)},
        {"format", QString::fromStdString(windows.format)},
        {"partition", windows.partition},
        {"windows", QString::fromStdString(vms::windowsName(windows.versionNumber))},
        {"versionNumber", QString::fromStdString(windows.versionNumber)},
        {"radeonDriver", optionalText(windows.radeonDriver)},
        {"running", found.running},
        {"machineFolder", optionalText(folder)},
    };
}

std::vector<vms::SurveyedMachine> surveyed(const vms::SearchPlaces& places, const fs::path& defaultMachine,
                                           const Console& console) {
    return vms::surveyMachines(places, imagesFolderBeside(defaultMachine), console.notes());
}

} // namespace

std::optional<vms::SearchPlaces> searchPlacesOfUser() {
    return vms::SearchPlaces::fromEnvironment([](const char* name) { return qgetenv(name).toStdString(); });
}

std::vector<FoundMachine> machinesToOffer(const fs::path& defaultMachine, const Console& console) {
    const auto places = searchPlacesOfUser();
    std::vector<FoundMachine> offered;
    for (const vms::SurveyedMachine& found :
         places ? windowsMachines(*places, defaultMachine, console) : std::vector<vms::SurveyedMachine>{}) {
        const QString label =
            QStringLiteral("%1 (%2, %3)")
                .arg(QString::fromStdString(found.machine.name),
                     QString::fromUtf8(vms::emulatorName(found.machine.emulator)),
                     QString::fromStdString(vms::windowsName(found.windows->versionNumber)));
        offered.push_back(
            {label, found.disk,
             found.running ? console.texts().text(vms::shutDownFirst(found.machine)) : QString()});
    }
    return offered;
}

std::vector<vms::SurveyedMachine> windowsMachines(const vms::SearchPlaces& places,
                                                  const fs::path& defaultMachine, const Console& console) {
    std::vector<vms::SurveyedMachine> machines = surveyed(places, defaultMachine, console);
    std::erase_if(machines, [](const vms::SurveyedMachine& found) { return !found.windows; });
    return machines;
}

int listVirtualMachines(const vms::SearchPlaces& places, const fs::path& defaultMachine, bool json,
                        const Console& console) {
    const ConsoleTexts& texts = console.texts();
    const std::vector<vms::SurveyedMachine> machines = windowsMachines(places, defaultMachine, console);
    if (json) {
        QJsonArray list;
        for (const vms::SurveyedMachine& found : machines)
            list.append(jsonOf(found));
        console.output(QJsonDocument(list).toJson().toStdString());
        return 0;
    }
    if (machines.empty()) {
        console.notice(texts.text(
            QT_TRANSLATE_NOOP("CommandLine", "Windows 95/98/Me の入った仮想マシンは見つかりませんでした")));
        return 0;
    }
    console.report(texts.text(QT_TRANSLATE_NOOP(
        "CommandLine", "エミュレータ\t名前\tディスクイメージ\t形式\tパーティション\tWindows\tRadeon "
                       "ドライバ\t実行中\tマシンフォルダ")));
    for (const vms::SurveyedMachine& found : machines)
        console.report(listLine(found, texts));
    return 0;
}

std::optional<fs::path> diskOfVirtualMachine(const QString& name, const vms::SearchPlaces& places,
                                             const fs::path& defaultMachine, const Console& console,
                                             int& status) {
    const ConsoleTexts& texts = console.texts();
    std::vector<vms::SurveyedMachine> machines = surveyed(places, defaultMachine, console);
    std::erase_if(machines, [&](const vms::SurveyedMachine& found) {
        return found.machine.name != name.toStdString();
    });
    // Found by reading the emulators' files: a name none or several of them hold fails as a
    // missing or doubtful file does, not as bad usage.
    status = ExitFailure;
    if (machines.empty())
        console.error(texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 という仮想マシンは見つかりません "
                                                                  "(見つかったものは --list-vms が示します)"),
                                 {name}),
                      status);
    else if (machines.size() > 1)
        console.error(
            texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 という仮想マシンが複数あります。"
                                                        "どれかの名前をエミュレータで変えてください"),
                       {name}),
            status);
    if (machines.size() != 1)
        return std::nullopt;
    const vms::SurveyedMachine& found = machines.front();
    if (found.problem)
        console.error(texts.text(*found.problem), status);
    else if (!found.windows)
        console.error(
            texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 のディスクには Windows 95/98/Me がありません"),
                       {name}),
            status);
    else if (found.running)
        console.error(texts.text(vms::shutDownFirst(found.machine)), status);
    else
        return found.disk;
    return std::nullopt;
}

} // namespace kv
