// The whole program on a copy of the demo machine: the real registry file, the real OS version
// query and the real drive mapping, driven through the window.
#include "Fakes.h"
#include "FileContents.h"
#include "MachineFolder.h"
#include "MachineRegistry.h"
#include "Main.h"
#include "SettingsAccessor.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace kv;

namespace {

class DemoMachineTest : public ::testing::Test {
protected:
    DemoMachineTest()
        : machine(fs::path(dir.path().toStdString()) / "machine") {
        fs::copy(fs::path(KAVENDEL_TEST_DATA) / ".." / ".." / "data" / "demo-machine", machine.dir(),
                 fs::copy_options::recursive);
        original = test::fileContents(machine.registryFile());
        store = openMachineRegistry(machine, dialogs);
        osVersion = std::make_unique<MachineOsVersion>(*store);
        form = std::make_unique<TForm1>(Services{*store, dialogs, machine, *osVersion, clock, cpu, launcher});
        form->show();
        QApplication::processEvents();
    }

    template <typename T> T* find(const char* name) { return form->findChild<T*>(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    MachineFolder machine;
    std::string original;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<OsVersionQuery> osVersion;
    test::ManualClock clock;
    test::PlainCpu cpu;
    test::RecordingLauncher launcher;
    std::unique_ptr<TForm1> form;
};

TEST_F(DemoMachineTest, StartsWithoutMessagesOrWritesAndShowsTheCard) {
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().join(u'\n').toStdString();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kavendel"));
    EXPECT_EQ(find<QLabel>("Label5")->text(), QStringLiteral("RADEON DDR 64MB VIVO"));
    EXPECT_EQ(find<QLabel>("Label29")->text(), QStringLiteral("AGP 4x"));
    EXPECT_EQ(find<QLabel>("Label7")->text(), QStringLiteral("DDR SDRAM"));
    EXPECT_EQ(form->values().gamesPageState, 1);
    // Start-up and a tour of every page change nothing; the file keeps every byte.
    for (int i = 0; i < form->PageControl1->count(); ++i) {
        form->PageControl1->setCurrentIndex(i);
        for (int j = 0; i == 1 && j < form->PageControl2->count(); ++j)
            form->PageControl2->setCurrentIndex(j);
    }
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().join(u'\n').toStdString();
    // The gamma page stores as its bars take the stored value, which ends where it began; the
    // file is written back whole when the store is released.
    form.reset();
    store.reset();
    EXPECT_EQ(test::fileContents(machine.registryFile()), original);
}

TEST_F(DemoMachineTest, PatchesEuro2000AndRegistersTheCardInTheFile) {
    form->PageControl1->setCurrentWidget(form->TabSheet3);
    auto* list = find<QListWidget>("ListView1");
    ASSERT_EQ(list->count(), 5);
    const auto items = list->findItems(QStringLiteral("Euro 2000"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    list->setCurrentItem(items[0]);
    auto* rewrite = find<QPushButton>("Button2");
    ASSERT_TRUE(rewrite->isEnabled());
    QTest::mouseClick(rewrite, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("レジストリ情報を書き換えました。")});

    const auto config = machine.resolve("C:\\Program Files\\EA SPORTS\\Euro 2000\\3DSetup\\3dsetup.ini");
    ASSERT_TRUE(config);
    const std::string text = test::fileContents(*config);
    EXPECT_TRUE(text.ends_with(
        "CARD_ATI Radeon256 /R:640x480 /R:800x600 /R:1024x768 /R:1280x1024 /R:1600x1200 /I\r\n"))
        << text;

    // The card landed in the file: a second process reading it sees the entry.
    auto again = openMachineRegistry(machine, dialogs);
    TSettingsAccessor reg(*again);
    reg.SelectRoot(RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenPathForReading("\\Software\\Electronic Arts\\3D Data"));
    EXPECT_EQ(reg.LoadNumber("Cards"), 1);
    ASSERT_TRUE(reg.OpenPathForReading("\\Software\\Electronic Arts\\3D Data\\Card1"));
    EXPECT_EQ(reg.LoadText("Name"), "ATI Radeon256");
    EXPECT_NE(test::fileContents(machine.registryFile())
                  .find("[HKEY_USERS\\.DEFAULT\\Software\\Electronic Arts\\3D Data\\Card1]"),
              std::string::npos);
}

} // namespace
