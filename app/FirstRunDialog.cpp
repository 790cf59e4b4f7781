#include "FirstRunDialog.h"

#include "Dialogs.h"
#include "Translation.h"
#include "UserConfig.h"
#include "Widgets.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

struct ChoiceRow {
    FirstRunChoice choice;
    const char* objectName;
    const char* text;
};

constexpr ChoiceRow ChoiceRows[] = {
    {FirstRunChoice::OpenFolder, "OpenFolderButton",
     QT_TRANSLATE_NOOP("kv::FirstRunDialog", "既存のマシンフォルダを開く...")},
    {FirstRunChoice::ImportExport, "ImportExportButton",
     QT_TRANSLATE_NOOP("kv::FirstRunDialog", "Windows 98 のレジストリのエクスポート (.reg) を読み込む...")},
    {FirstRunChoice::ImportHives, "ImportHivesButton",
     QT_TRANSLATE_NOOP("kv::FirstRunDialog",
                       "レジストリファイル (SYSTEM.DAT と USER.DAT) のフォルダを読み込む...")},
    {FirstRunChoice::OpenImage, "OpenImageButton",
     QT_TRANSLATE_NOOP("kv::FirstRunDialog", "ディスクイメージを開く...")},
    {FirstRunChoice::TryDemo, "TryDemoButton",
     QT_TRANSLATE_NOOP("kv::FirstRunDialog", "デモマシンのコピーで試す")},
};

std::optional<std::filesystem::path> pick(const FirstRunDialog& dialog, FilePicker& picker) {
    const FirstRunChoice choice = *dialog.choice();
    switch (choice) {
    case FirstRunChoice::OpenMachine:
        return dialog.machine()->disk;
    case FirstRunChoice::OpenFolder:
        return picker.folder(FirstRunDialog::tr("マシンフォルダを選択"));
    case FirstRunChoice::ImportExport:
        return picker.file(FirstRunDialog::tr("レジストリのエクスポートを選択"),
                           FirstRunDialog::tr("レジストリファイル (*.reg *.REG);;すべてのファイル (*)"));
    case FirstRunChoice::ImportHives:
        return picker.folder(FirstRunDialog::tr("SYSTEM.DAT と USER.DAT のあるフォルダを選択"));
    case FirstRunChoice::OpenImage:
        return picker.file(FirstRunDialog::tr("ディスクイメージを選択"),
                           FirstRunDialog::tr("ディスクイメージ (*.img *.ima *.raw *.vhd *.qcow2 *.vdi);;"
                                              "すべてのファイル (*)"));
    case FirstRunChoice::TryDemo:
        return std::filesystem::path();
    }
    return std::nullopt;
}

bool isImport(FirstRunChoice choice) {
    return choice == FirstRunChoice::ImportExport || choice == FirstRunChoice::ImportHives;
}

// What went wrong, in the interface language; an import names the step that failed.
QString failureText(FirstRunChoice choice, const std::exception& error) {
    if (choice == FirstRunChoice::OpenImage || choice == FirstRunChoice::OpenMachine)
        return FirstRunDialog::tr("ディスクイメージを開けません: %1").arg(shownText(error));
    return isImport(choice) ? FirstRunDialog::tr("読み込めません: %1").arg(shownText(error))
                            : shownText(error);
}

void rememberIfPossible(const UserConfig& config, const std::filesystem::path& dir) {
    try {
        rememberMachine(config, dir);
    } catch (const std::exception&) {
        // Not remembered: the next start offers the choices again.
    }
}

std::optional<std::filesystem::path> toPath(const QString& chosen) {
    if (chosen.isEmpty())
        return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

} // namespace

std::optional<std::filesystem::path> QtFilePicker::folder(const QString& caption) {
    return toPath(QFileDialog::getExistingDirectory(nullptr, caption));
}

std::optional<std::filesystem::path> QtFilePicker::file(const QString& caption, const QString& filter) {
    return toPath(QFileDialog::getOpenFileName(nullptr, caption, QString(), filter));
}

FirstRunDialog::FirstRunDialog(const std::filesystem::path& machine, bool isNew,
                               std::vector<FoundMachine> machines, QWidget* parent)
    : QDialog(parent)
    , m_machines(std::move(machines)) {
    setObjectName(QStringLiteral("FirstRunDialog"));
    setWindowTitle(fromUtf8(ApplicationTitle));
    auto* layout = new QVBoxLayout(this);
    const QString folder = QString::fromStdString(machine.string());
    auto* intro = new QLabel(
        isNew ? tr("マシンフォルダ %1 にはまだ何もありません。\n"
                   "Windows 98 のレジストリを読み込むか、マシンフォルダを開いてください。")
                    .arg(folder)
              : tr("開くマシンを選んでください。\n閉じるとマシンフォルダ %1 を開きます。").arg(folder),
        this);
    intro->setObjectName(QStringLiteral("FirstRunText"));
    layout->addWidget(intro);
    for (std::size_t i = 0; i < m_machines.size(); ++i) {
        auto* button = new QPushButton(tr("%1 を開く").arg(m_machines[i].label), this);
        button->setObjectName(QStringLiteral("OpenMachineButton%1").arg(i + 1));
        connect(button, &QPushButton::clicked, this, [this, machine = &m_machines[i]] {
            m_choice = FirstRunChoice::OpenMachine;
            m_machine = machine;
            accept();
        });
        layout->addWidget(button);
    }
    for (const ChoiceRow& row : ChoiceRows) {
        auto* button = new QPushButton(tr(row.text), this);
        button->setObjectName(QLatin1String(row.objectName));
        connect(button, &QPushButton::clicked, this, [this, choice = row.choice] {
            m_choice = choice;
            m_machine = nullptr;
            accept();
        });
        layout->addWidget(button);
    }
    auto* quit = new QPushButton(tr("終了"), this);
    quit->setObjectName(QStringLiteral("QuitButton"));
    connect(quit, &QPushButton::clicked, this, [this] {
        m_quit = true;
        reject();
    });
    layout->addWidget(quit);
}

std::optional<std::filesystem::path> runFirstRun(FirstRunDialog& dialog, FilePicker& picker, Dialogs& dialogs,
                                                 const FirstRunPlaces& places, const UserConfig& config) {
    while (dialog.exec() == QDialog::Accepted && dialog.choice()) {
        if (dialog.machine() && !dialog.machine()->refusal.isEmpty()) {
            dialogs.message(ApplicationTitle, errorBoxText(dialog.machine()->refusal.toStdString()),
                            Dialogs::Icon::Error);
            continue;
        }
        const auto picked = pick(dialog, picker);
        if (!picked)
            continue; // the file dialog was cancelled: back to the choices
        try {
            const std::filesystem::path chosen = carryOutFirstRunChoice(*dialog.choice(), *picked, places);
            rememberIfPossible(config, chosen);
            if (isImport(*dialog.choice()))
                dialogs.message(ApplicationTitle,
                                FirstRunDialog::tr("マシンフォルダ %1 に読み込みました")
                                    .arg(QString::fromStdString(chosen.string()))
                                    .toStdString(),
                                Dialogs::Icon::Information);
            return chosen;
        } catch (const std::exception& e) {
            dialogs.message(ApplicationTitle, errorBoxText(failureText(*dialog.choice(), e).toStdString()),
                            Dialogs::Icon::Error);
        }
    }
    return std::nullopt;
}

} // namespace kv
