#include "FirstRunDialog.h"

#include "Dialogs.h"
#include "HandlerGuard.h"

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
    {FirstRunChoice::OpenFolder, "OpenFolderButton", "既存のマシンフォルダを開く..."},
    {FirstRunChoice::ImportExport, "ImportExportButton",
     "Windows 98 のレジストリのエクスポート (.reg) を読み込む..."},
    {FirstRunChoice::ImportHives, "ImportHivesButton",
     "レジストリファイル (SYSTEM.DAT と USER.DAT) のフォルダを読み込む..."},
    {FirstRunChoice::TryDemo, "TryDemoButton", "デモマシンのコピーで試す"},
};

std::optional<std::filesystem::path> pick(FirstRunChoice choice, FilePicker& picker) {
    switch (choice) {
    case FirstRunChoice::OpenFolder:
        return picker.folder(QStringLiteral("マシンフォルダを選択"));
    case FirstRunChoice::ImportExport:
        return picker.file(QStringLiteral("レジストリのエクスポートを選択"),
                           QStringLiteral("レジストリファイル (*.reg *.REG);;すべてのファイル (*)"));
    case FirstRunChoice::ImportHives:
        return picker.folder(QStringLiteral("SYSTEM.DAT と USER.DAT のあるフォルダを選択"));
    case FirstRunChoice::TryDemo:
        return std::filesystem::path();
    }
    return std::nullopt;
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

FirstRunDialog::FirstRunDialog(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FirstRunDialog"));
    setWindowTitle(ApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(QStringLiteral("このマシンフォルダにはまだ何もありません。\n"
                                  "Windows 98 のレジストリを読み込むか、マシンフォルダを開いてください。"),
                   this);
    intro->setObjectName(QStringLiteral("FirstRunText"));
    layout->addWidget(intro);
    for (const ChoiceRow& row : ChoiceRows) {
        auto* button = new QPushButton(QString::fromUtf8(row.text), this);
        button->setObjectName(QLatin1String(row.objectName));
        connect(button, &QPushButton::clicked, this, [this, choice = row.choice] {
            m_choice = choice;
            accept();
        });
        layout->addWidget(button);
    }
}

std::optional<std::filesystem::path> runFirstRun(FirstRunDialog& dialog, FilePicker& picker, Dialogs& dialogs,
                                                 const FirstRunPlaces& places) {
    while (dialog.exec() == QDialog::Accepted && dialog.choice()) {
        const auto picked = pick(*dialog.choice(), picker);
        if (!picked)
            continue; // the file dialog was cancelled: back to the four choices
        try {
            return carryOutFirstRunChoice(*dialog.choice(), *picked, places);
        } catch (const std::exception& e) {
            dialogs.message(ApplicationTitle, errorBoxText(QString::fromUtf8(e.what())),
                            Dialogs::Icon::Error);
        }
    }
    return std::nullopt;
}

} // namespace kv
