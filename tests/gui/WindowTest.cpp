// The main window: its page tree, the summary page, the status bar and the exit buttons.
#include "FormFixture.h"

#include "Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest/QTest>

using namespace kv;
using namespace kv::test;

namespace {

class WindowTest : public FormFixture {};

TEST_F(WindowTest, PageTreeInTabOrder) {
    createForm();
    const QStringList top = {"一般", "レジストリ", "３Ｄゲーム", "情報", "その他"};
    const QStringList nested = {"Radeonエンジン", "Direct3D 設定", "OpenGL 設定", "3Dカラー設定",
                                "VIA専用設定"};
    ASSERT_EQ(form->PageControl1->count(), top.size());
    for (int i = 0; i < top.size(); ++i)
        EXPECT_EQ(form->PageControl1->tabText(i), top[i]);
    for (int i = 0; i < nested.size(); ++i)
        EXPECT_EQ(form->PageControl2->tabText(i), nested[i]);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_EQ(form->size(), QSize(431, 386));
    EXPECT_EQ(form->StatusPanel->text(), QStringLiteral("※設定を変更後は再起動してください。"));
}

TEST_F(WindowTest, SummaryShowsDiscoveryAndKeepsPresetsDisabled) {
    putText(RootKey::LocalMachine, "\\System\\CurrentControlSet\\Services\\Class\\Display\\0002",
            "InfSection", "R6_AGP_ENU");
    putText(RootKey::LocalMachine, "\\System\\CurrentControlSet\\Services\\Class\\Display\\0002",
            "DriverDesc", "RADEON DDR");
    putText(RootKey::LocalMachine, "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", "32.0");
    createForm();
    EXPECT_EQ(find<QLabel>("Label5")->text(), QStringLiteral("RADEON DDR 32MB"));
    EXPECT_EQ(find<QLabel>("Label11")->text(), QStringLiteral("32MB"));
    EXPECT_EQ(find<QLabel>("Label7")->text(), QStringLiteral("DDR SGRAM"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kavendel"));
    EXPECT_EQ(form->values().gamesPageState, 1);
    EXPECT_EQ(form->values().foundDisplayIndex, 2);
    for (const char* name : {"Button9", "Button10", "Button11", "Button12", "uninstall"})
        EXPECT_FALSE(find<QPushButton>(name)->isEnabled()) << name;
    EXPECT_EQ(find<QPushButton>("Button1")->toolTip(), QStringLiteral("Kavendelを終了します。"));
    EXPECT_EQ(find<QPushButton>("Button1")->statusTip(), QStringLiteral("Kavendelを終了します。"));
}

TEST_F(WindowTest, RegistryTextsAreShownAsTheyAreNotAsMarkup) {
    putText(RootKey::LocalMachine, "\\System\\CurrentControlSet\\Services\\Class\\Display\\0000",
            "InfSection", "R6_AGP_ENU");
    putText(RootKey::LocalMachine, "\\System\\CurrentControlSet\\Services\\Class\\Display\\0000",
            "DriverDesc", "<b>RADEON</b>");
    createForm();
    showPage("TabSheet6");
    // Read as markup, the tags would vanish and the label would be narrower than its text.
    for (const char* name : {"Label5", "Label104"}) {
        const auto* label = find<QLabel>(name);
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("<b>RADEON</b> "))) << name;
        EXPECT_GE(label->sizeHint().width(), QFontMetrics(label->font()).horizontalAdvance(label->text()))
            << name;
    }
}

TEST_F(WindowTest, AStoreErrorInDiscoveryEndsFormCreateAndShowsTheBox) {
    putNumber(RootKey::LocalMachine, "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", 64);
    createForm();
    EXPECT_EQ(form->values().gamesPageState, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "ATI Kavendel");
    EXPECT_EQ(dialogs.shown[0].text, "'Size' のデータ型が不正です.");
    EXPECT_EQ(find<QLabel>("Label11")->text(), QStringLiteral("不明"));
}

TEST_F(WindowTest, ExitButtonClosesTheWindow) {
    createForm();
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowTest, ShowHandlersRunWhenPagesComeIntoView) {
    createForm();
    QStringList shown;
    form->setShowHandler(form->TabSheet2, [&] { shown << "TabSheet2"; });
    form->setShowHandler(form->TabSheet9, [&] { shown << "TabSheet9"; });
    showPage("TabSheet2", "TabSheet9");
    showPage("TabSheet1");
    showPage("TabSheet2");
    EXPECT_EQ(shown, QStringList({"TabSheet2", "TabSheet9", "TabSheet2", "TabSheet9"}));
}

TEST_F(WindowTest, StatusBarShowsTheHintUnderThePointer) {
    createForm();
    showPage("TabSheet2", "TabSheet4");
    auto* withHint = makeCheckBox(form->TabSheet4, "probeWithHint", "a", {8, 100, 100, 16}, "ヒント");
    auto* withoutHint = makeCheckBox(form->TabSheet4, "probeWithout", "b", {8, 140, 100, 16});
    withHint->show();
    withoutHint->show();
    QTest::mouseMove(withHint, {5, 5});
    QApplication::processEvents();
    EXPECT_EQ(form->StatusPanel->text(), QStringLiteral("ヒント"));
    QTest::mouseMove(withoutHint, {5, 5});
    QApplication::processEvents();
    EXPECT_EQ(form->StatusPanel->text(), QString());
}

TEST_F(WindowTest, StatusBarEmptiesOverAControlWithoutHint) {
    createForm();
    showPage("TabSheet2", "TabSheet4");
    QTest::mouseMove(find<QCheckBox>("UCEngine"), {5, 5});
    QApplication::processEvents();
    EXPECT_EQ(form->StatusPanel->text(), QString());
    QTest::mouseMove(find<QCheckBox>("TCL"), {5, 5});
    QApplication::processEvents();
    EXPECT_EQ(form->StatusPanel->text(),
              QStringLiteral("ハードウェアでTransform,Cliping,Lightingを使用する。"));
}

TEST_F(WindowTest, NtMachineAsksToEnd) {
    osVersion.version = OsVersion{OsVersion::WindowsNT, 5, 0};
    createForm();
    EXPECT_TRUE(form->quitRequested());
}

} // namespace
