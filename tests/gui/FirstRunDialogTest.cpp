// The first-run dialog driven through its buttons: what a choice returns, what is remembered
// for the next start, and a failed choice that brings the choices back.
#include "FirstRunDialog.h"
#include "Fakes.h"
#include "UserConfig.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

// Answers every file dialog with the same folder or file.
class FixedPicker final : public FilePicker {
public:
    explicit FixedPicker(fs::path answer)
        : m_answer(std::move(answer)) {}
    std::optional<fs::path> folder(const QString&) override { return m_answer; }
    std::optional<fs::path> file(const QString&, const QString&) override { return m_answer; }

private:
    fs::path m_answer;
};

// Presses the named buttons, one each time the dialog is shown; closes it once they run out.
void pressInTurn(FirstRunDialog& dialog, std::deque<QString> buttons) {
    auto* timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, &dialog, [&dialog, buttons]() mutable {
        if (!dialog.isVisible())
            return;
        auto* button = buttons.empty() ? nullptr : dialog.findChild<QPushButton*>(buttons.front());
        if (!buttons.empty())
            buttons.pop_front();
        button ? button->click() : dialog.reject();
    });
    timer->start(0);
}

TEST(FirstRunDialog, AFailedChoiceComesBackAndTheDemoCopyIsOpenedAndRemembered) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const FirstRunPlaces places{root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo-machine"};
    const UserConfig config(root / "config/kavendel.conf");
    FixedPicker picker(root); // a folder without registry.reg
    test::ScriptedDialogs boxes;
    FirstRunDialog dialog(places.defaultMachine, true);
    pressInTurn(dialog, {"OpenFolderButton", "TryDemoButton"});

    EXPECT_EQ(runFirstRun(dialog, picker, boxes, places, config), places.demoCopy);
    ASSERT_EQ(boxes.shown.size(), 1u) << "the folder without a registry is refused";
    EXPECT_NE(boxes.shown[0].text.find(root.string()), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(places.demoCopy / "registry.reg"));
    EXPECT_EQ(config.value("machine"), fs::absolute(places.demoCopy).string());
}

TEST(FirstRunDialog, AFileThatIsNoDiskImageSaysSoAndRemembersNothing) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const UserConfig config(root / "kavendel.conf");
    std::ofstream(root / "notes.img") << "not a disk";
    FixedPicker picker(root / "notes.img");
    test::ScriptedDialogs boxes;
    FirstRunDialog dialog(root / "machine", true);
    pressInTurn(dialog, {"OpenImageButton"});

    EXPECT_EQ(
        runFirstRun(dialog, picker, boxes, {root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo"}, config),
        std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("ディスクイメージを開けません"), std::string::npos)
        << boxes.shown[0].text;
    EXPECT_NE(boxes.shown[0].text.find("notes.img"), std::string::npos) << boxes.shown[0].text;
    EXPECT_FALSE(fs::exists(config.file()));
}

// The machines found come first; one its emulator runs is refused, another is opened as its disk.
TEST(FirstRunDialog, TheMachinesFoundComeFirstAndOneRunningIsRefused) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const UserConfig config(root / "kavendel.conf");
    std::ofstream(root / "voodoo.vhd") << "not a disk";
    FixedPicker picker(root);
    test::ScriptedDialogs boxes;
    FirstRunDialog dialog(
        root / "machine", true,
        {{"Win98 (VirtualBox, Windows 98)", root / "win98.vdi", "Shut down 'Win98' in VirtualBox first"},
         {"Win98 Voodoo box (86Box, Windows 98 SE)", root / "voodoo.vhd", {}}});
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_GE(buttons.size(), 3);
    EXPECT_EQ(buttons[0]->objectName(), "OpenMachineButton1");
    EXPECT_EQ(buttons[1]->text(), "Win98 Voodoo box (86Box, Windows 98 SE) を開く");
    pressInTurn(dialog, {"OpenMachineButton1", "OpenMachineButton2"});

    EXPECT_EQ(
        runFirstRun(dialog, picker, boxes, {root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo"}, config),
        std::nullopt);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_NE(boxes.shown[0].text.find("Shut down 'Win98' in VirtualBox first"), std::string::npos);
    EXPECT_NE(boxes.shown[1].text.find("voodoo.vhd"), std::string::npos) << boxes.shown[1].text;
    EXPECT_FALSE(fs::exists(config.file()));
}

// Closing goes on with the folder the dialog names, Quit ends the program; neither remembers.
TEST(FirstRunDialog, ClosingOrQuittingRemembersNothing) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const UserConfig config(root / "kavendel.conf");
    FixedPicker picker(root);
    test::ScriptedDialogs boxes;
    for (const bool quit : {false, true}) {
        FirstRunDialog dialog(root / "machine", true);
        EXPECT_TRUE(dialog.findChild<QLabel*>("FirstRunText")->text().contains(temp.filePath("machine")));
        pressInTurn(dialog, quit ? std::deque<QString>{"QuitButton"} : std::deque<QString>{});
        EXPECT_EQ(runFirstRun(dialog, picker, boxes, {root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo"},
                              config),
                  std::nullopt);
        EXPECT_EQ(dialog.quitRequested(), quit);
    }
    EXPECT_FALSE(fs::exists(config.file()));
}

// An import says where it went.
TEST(FirstRunDialog, AnImportNamesItsFolder) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const FirstRunPlaces places{root / "machine", KAVENDEL_DEMO_MACHINE, root / "demo"};
    const UserConfig config(root / "kavendel.conf");
    FixedPicker picker(KAVENDEL_DEMO_MACHINE "/registry.reg");
    test::ScriptedDialogs boxes;
    fs::create_directories(places.defaultMachine / "mine");
    FirstRunDialog dialog(places.defaultMachine, false);
    pressInTurn(dialog, {"ImportExportButton"});

    EXPECT_EQ(runFirstRun(dialog, picker, boxes, places, config), root / "machine-2");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find((root / "machine-2").string()), std::string::npos)
        << boxes.shown[0].text;
}

} // namespace
