// The whole program on a copy of the demo machine: the real registry file, the real OS version
// query and the real drive mapping, driven through the window.
#include "Fakes.h"
#include "FileContents.h"
#include "MachineFolder.h"
#include "MachineRegistry.h"
#include "Main.h"
#include "RecordingLauncher.h"
#include "Console.h"
#include "Screenshot.h"
#include "SettingsAccessor.h"
#include "ver.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <sstream>

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
        form = std::make_unique<TForm1>(services());
        form->show();
        QApplication::processEvents();
    }

    Services services() { return {*store, dialogs, machine, *osVersion, clock, cpu, launcher}; }
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
    EXPECT_TRUE(dialogs.shown.empty()) << ::testing::PrintToString(dialogs.texts());
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
    EXPECT_TRUE(dialogs.shown.empty()) << ::testing::PrintToString(dialogs.texts());
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
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"レジストリ情報を書き換えました。"});

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

TEST_F(DemoMachineTest, EveryTabLiesInsideItsBar) {
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    QApplication::processEvents();
    for (QTabWidget* tabs : {form->PageControl1, form->PageControl2}) {
        const QTabBar* bar = tabs->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            EXPECT_TRUE(bar->rect().contains(bar->tabRect(i)))
                << tabs->tabText(i).toStdString() << " at " << bar->tabRect(i).x() << "+"
                << bar->tabRect(i).width();
        for (const QWidget* arrow : bar->findChildren<QWidget*>())
            EXPECT_FALSE(arrow->isVisible()) << "a scroll arrow shows";
    }
}

TEST_F(DemoMachineTest, TheGamesListWrapsCaptionsOnWholeWordsWithoutAHorizontalScrollBar) {
    form->PageControl1->setCurrentWidget(form->TabSheet3);
    auto* list = find<QListWidget>("ListView1");
    ASSERT_EQ(list->width(), 97);
    const QFontMetrics metrics(list->font());
    for (int i = 0; i < list->count(); ++i) {
        // Scrolling each game into view lets the list lay out and show its scroll bars.
        list->setCurrentRow(i);
        list->scrollToItem(list->item(i));
        QTest::qWait(20);
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        const QRect item = list->visualItemRect(list->item(i));
        EXPECT_LE(item.right(), list->viewport()->width()) << list->item(i)->text().toStdString();
        // Every word fits the item's width, so wrapping never cuts one.
        for (const QString& word : list->item(i)->text().split(u' '))
            EXPECT_LE(metrics.horizontalAdvance(word), item.width()) << word.toStdString();
    }
}

// The five games do not fit the list's height: the rendered page shows the vertical scroll bar
// the live window shows, in the strip beside the items' column.
TEST_F(DemoMachineTest, TheRenderedGamesListShowsItsScrollBar) {
    const QTemporaryDir shots;
    const ConsoleTexts texts;
    std::ostringstream listed;
    ASSERT_EQ(renderScreenshots(*form, shots.path().toStdString(), Console(texts, listed, listed)), 0);
    const QImage page(shots.filePath(QStringLiteral("07-TabSheet3.png")));
    ASSERT_FALSE(page.isNull());
    const auto* list = find<QListWidget>("ListView1");
    const int bar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const QPoint top = list->mapTo(form.get(), QPoint(list->width() - list->frameWidth() - bar / 2, 0));
    const QColor base = list->palette().color(QPalette::Base);
    int drawn = 0;
    for (int y = top.y() + list->frameWidth(); y < top.y() + list->height() - list->frameWidth(); ++y)
        drawn += page.pixelColor(top.x(), y) != base;
    EXPECT_GT(drawn, list->height() / 2);
}

TEST_F(DemoMachineTest, TheAboutWindowsDateKeepsClearOfThePanelFrame) {
    TAboutBox about(services(), form.get());
    about.show();
    QApplication::processEvents();
    const QWidget* date = about.findChild<QWidget*>(QStringLiteral("Label2"));
    ASSERT_NE(date, nullptr);
    constexpr int Bevel = 2;
    EXPECT_LT(date->geometry().right(), about.Panel1->width() - Bevel - 1);
}

TEST_F(DemoMachineTest, TheControlsTableHasEachWindowAndEachListsItemsOnce) {
    new TAboutBox(services(), form.get()); // as start-up owns it
    form->PageControl1->setCurrentWidget(form->TabSheet3);
    QApplication::processEvents();
    QStringList lines = controlsTable(form.get()).split(u'\n', Qt::SkipEmptyParts);
    lines.removeFirst(); // the column names
    EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()).size(), lines.size()) << "a line shows twice";
    const auto column = [&](const char* page, const char* name, int index) {
        for (const QString& line : lines)
            if (line.section(u'\t', 0, 0) == QLatin1String(page) &&
                line.section(u'\t', 1, 1) == QLatin1String(name))
                return line.section(u'\t', index, index);
        return QStringLiteral("(missing)");
    };
    EXPECT_EQ(column("Form1", "Form1", 3), QStringLiteral("Kavendel"));
    EXPECT_EQ(column("AboutBox", "AboutBox", 3), QStringLiteral("バージョン情報"));
    EXPECT_EQ(column("TabSheet3", "ListView1", 3),
              QStringLiteral("Euro 2000|Need For Speed Porsche Unleashed|Need For Speed High Stakes|NBA Live "
                             "2000|FIFA 2000"));
    EXPECT_EQ(column("TabSheet2/TabSheet8", "SubPixelC", 3), QStringLiteral("2|4"));
    EXPECT_EQ(column("TabSheet2", "TabSheet10", 7), QStringLiteral("offered"));
    EXPECT_EQ(column("Form1", "TabSheet3", 7), QStringLiteral("offered"));
}

} // namespace
