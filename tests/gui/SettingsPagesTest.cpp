// The driver-settings pages, driven through the real window: clicks and keys on the controls,
// the reading pass at start-up, and the preset buttons, checked against the store.
#include "EnginePage.h"
#include "FormFixture.h"
#include "PresetModes.h"
#include "RadioGroup.h"
#include "RecordingStore.h"
#include "Screenshot.h"
#include "SettingsCatalogue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <algorithm>
#include <map>

using namespace kv;
using namespace kv::test;

namespace {

const std::string Driver = "\\SOFTWARE\\ATI Technologies\\Driver\\0000";
constexpr auto LM = RootKey::LocalMachine;
constexpr auto CU = RootKey::CurrentUser;

// Clicks a box on its indicator, as a user does.
void click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

class SettingsPagesTest : public FormFixture {
protected:
    TForm1& create() {
        form = std::make_unique<TForm1>(recordingServices);
        form->show();
        QApplication::processEvents();
        rec.clearLog();
        return *form;
    }
    PresetModes& presets() { return *form->findChild<PresetModes*>(); }
    // How often the log holds a value of that name.
    long storesOf(const std::string& name) const {
        return std::ranges::count(rec.stored, name, &RecordingStore::Stored::name);
    }

    RecordingStore rec;
    Services recordingServices{rec, dialogs, machine, osVersion, clock, cpu, launcher};
};

// Where each box stores, spelled out apart from the catalogue so that a typo in either shows.
struct Expected {
    const char* control;
    RootKey root;
    std::string key; // a leading "+" stands for the driver key path
    const char* value;
    bool number;
};

std::string keyOf(const Expected& e) {
    return e.key.starts_with('+') ? Driver + e.key.substr(1) : e.key;
}

const std::string PowerDesk5 = "\\Software\\Matrox\\PowerDesk\\Version5\\CurrentSettings";
const std::string PowerDesk = "\\Software\\Matrox\\PowerDesk\\Current Settings";

const Expected Boxes[] = {
    {"agp", LM, "+\\atidxhal", "UseAGP", false},
    {"mmx", LM, "+\\atidxhal", "UseMMX", false},
    {"DNow", LM, "+\\atidxhal", "Use3DNow", false},
    {"SSE", LM, "+\\atidxhal", "UseKNI", false},
    {"SSE2", LM, "+\\atidxhal", "UseMMXExt", false},
    {"BlockWrite", LM, "+\\atidxhal", "BlockWrite", false},
    {"device", LM, "+\\atidxhal", "CacheBMP", false},
    {"FastZClearEnabled", LM, "+\\atidxhal", "FastZClearEnabled", false},
    {"GCOOPTION_SlowerEdge", LM, "+\\DAL", "GCOOPTION_SlowerEdge", true},
    {"GCORULE_RMXSupport", LM, "+\\DAL", "GCORULE_RMXSupport", true},
    {"DisableHyperZ", LM, "+\\atidxhal", "DisableHyperZ", false},
    {"DisableHierarchicalZ", LM, "+\\atidxhal", "DisableHierarchicalZ", false},
    {"MAXXMode", LM, "+\\atidxhal", "MAXXMode", false},
    {"TCL", LM, "+\\atidxhal", "TCL", false},
    {"UCEngine", LM, "+\\atidxhal", "UCEngine", false},
    {"ROEngine", LM, "+\\atidxhal", "ROEngine", false},
    {"BltEngine", LM, "+\\atidxhal", "BltEngine", false},
    {"TxtEngine", LM, "+\\atidxhal", "TxtEngine", false},
    {"OutEngine", LM, "+\\atidxhal", "OutEngine", false},
    {"PixEngine", LM, "+\\atidxhal", "PixEngine", false},
    {"Dib2DevEngine", LM, "+\\atidxhal", "Dib2DevEngine", false},
    {"DibBltEngine", LM, "+\\atidxhal", "DibBltEngine", false},
    {"StretchEngine", LM, "+\\atidxhal", "StretchEngine", false},
    {"StretchDibEngine", LM, "+\\atidxhal", "StretchDibEngine", false},
    {"BmbEngine", LM, "+\\atidxhal", "BmbEngine", false},
    {"SlowerEdge", LM, "+\\DAL", "GCOOPTION_SlowerEdge", true},
    {"TextureCompression", LM, "+\\atidxhal", "enableTextureCompression", false},
    {"TextureCompression", LM, "+\\atidxhal", "ExportCompressedTex", false},
    {"EnableWaitUntilIdxTriList2", LM, "+\\atidxhal", "EnableWaitUntilIdxTriList2", false},
    {"Colorfill", LM, "+\\atidxhal", "Colorfill", false},
    {"SysMemBlts", LM, "+\\atidxhal", "SysMemBlts", false},
    {"VolTxEnable", LM, "+\\atidxhal", "VolTxEnable", false},
    {"ExportBumpMappedTex", LM, "+\\atidxhal", "ExportBumpMappedTex", false},
    {"ExportWBuffer", LM, "+\\atidxhal", "ExportWBuffer", false},
    {"EnableUntransformedInLocalMem", LM, "+\\atidxhal", "EnableUntransformedInLocalMem", false},
    {"TableFog", LM, "+\\atidxhal", "TableFogEnable", false},
    {"WFog", LM, "+\\atidxhal", "WFogEnable", false},
    {"ZFog", LM, "+\\atidxhal", "ZFogEnable", false},
    {"SubPixel", LM, "+\\atidxhal", "enable4BitsSubPixel", false},
    {"Vsync", LM, "+\\DirectX", "FlipOnVBlank", false},
    {"Vsync", LM, "+\\atidxhal", "Vsync", false},
    {"FullSceneAA", LM, "+\\atidxhal", "AntiAlias", false},
    {"MIPMAP", LM, "+\\DirectX", "MipMapping", false},
    {"fastbilt", LM, "+\\DirectX", "YUVFastBlit", false},
    {"filter", LM, "+\\DirectX", "YUVFiltering", false},
    {"d3drender", LM, "+\\DirectX", "D3DRendering", false},
    {"zbuff", LM, "+\\DirectX", "32BitZ", false},
    {"palettized", LM, "+\\DirectX", "PalettizedTextures", false},
    {"triple", LM, "+\\DirectX", "UseTripleBuffering", false},
    {"indeo", LM, "+\\DirectX", "IndeoAsYUV", false},
    {"cinepac", LM, "+\\DirectX", "CinepakAsYUV", false},
    {"AGPExecute", LM, "+\\DirectX", "AGPExecuteModel", false},
    {"Tracing_Quality", LM, "+\\OpenGL", "OGLTracing", true},
    {"OGLConvertTextures32To16", LM, "+\\OpenGL", "OGLConvertTextures32To16", true},
    {"OGLDisableDitherWhenAlphaBlending", LM, "+\\OpenGL", "OGLDisableDitherWhenAlphaBlending", true},
    {"OGLEnableHWPageFlip", LM, "+\\OpenGL", "OGLEnableHWPageFlip", true},
    {"OGLEnableKTXBufferRegion", LM, "+\\OpenGL", "OGLEnableKTXBufferRegion", true},
    {"OGLForce16BitZBuffer", LM, "+\\OpenGL", "OGLForce16BitZBuffer", true},
    {"OGLEnableTextureCompression", LM, "+\\OpenGL", "OGLEnableTextureCompression", true},
    {"OGLWaitVerticalSync", LM, "+\\OpenGL", "OGLWaitVerticalSync", true},
    {"Powerdesk", CU, PowerDesk5, "ShowMeAllMatrox", true},
    {"DDC", LM, "+\\Monitor", "ForceDDC", false},
    {"Highcolor", LM, "+\\DAC", "HicolorMode", false},
    {"tasktrey", CU, PowerDesk5, "LaunchQuickDesk", true},
    {"busmaster", LM, "+\\Engine", "BusMastering", false},
    {"Circles", LM, "+\\GDI", "Circles", false},
    {"rect", LM, "+\\GDI", "Rectangles", false},
    {"Ellipses", LM, "+\\GDI", "Ellipses", false},
    {"fontcash", LM, "+\\GDI", "FontsCaching", false},
    {"porigon", LM, "+\\GDI", "AlternateFillPolygons", false},
    {"Paletsync", LM, "+\\Engine", "PaletteSync", false},
    {"dithering", LM, PowerDesk, "ColorDithering", false},
    {"cirsor", LM, PowerDesk, "CursorShapeSync", false},
    {"TVout", LM, PowerDesk, "TVOutput", false},
    {"toc", LM, "+\\DirectX", "SplitMode", false},
    {"VirtualDesk", LM, PowerDesk, "Win98 Virtual", false},
    {"AnalogJoy", LM, "\\Tessel soft\\Pellam Utility", "Analog Joystick", false},
};

TEST_F(SettingsPagesTest, EveryBoxStoresItsStateWhereTheDriverReadsIt) {
    create();
    const std::map<Sheet, const char*> pages = {{Sheet::Registry, "TabSheet4"},
                                                {Sheet::Engine, "TabSheet4"},
                                                {Sheet::Direct3D, "TabSheet7"},
                                                {Sheet::OpenGL, "TabSheet8"}};
    for (const auto& row : twoStateSettings()) {
        showPage("TabSheet2", pages.at(boxGroup(row.group).sheet));
        auto* box = find<QCheckBox>(std::string(row.control).c_str());
        ASSERT_NE(box, nullptr);
        for (const bool checked : {true, false}) {
            if (box->isEnabled())
                click(box);
            else
                box->setChecked(checked); // MAXXMode: only the program can change it
            ASSERT_EQ(box->isChecked(), checked) << row.control;
            int expected = 0;
            for (const Expected& e : Boxes) {
                if (row.control != e.control)
                    continue;
                ++expected;
                SCOPED_TRACE(std::string(e.control) + " " + e.value);
                EXPECT_EQ(rec.get(e.root, keyOf(e), e.value), checked ? "1" : "0");
                EXPECT_EQ(rec.kind(e.root, keyOf(e), e.value), e.number ? RegNumber : RegString);
            }
            EXPECT_GT(expected, 0) << row.control;
        }
    }
    EXPECT_EQ(std::size(Boxes), 77u); // 75 boxes, two of them with a second value
    EXPECT_TRUE(dialogs.shown.empty());
    // Unchecking FullSceneAA leaves the ratio that checking it stored.
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "AntiAliasRatio"), "384");
    EXPECT_FALSE(find<QCheckBox>("MAXXMode")->isEnabled());
}

TEST_F(SettingsPagesTest, TheSlowerEdgePairSharesAValueButNotAState) {
    create();
    click(find<QCheckBox>("SlowerEdge"));
    EXPECT_EQ(rec.get(LM, Driver + "\\DAL", "GCOOPTION_SlowerEdge"), "1");
    EXPECT_FALSE(find<QCheckBox>("GCOOPTION_SlowerEdge")->isChecked());
    form.reset();
    create();
    EXPECT_TRUE(find<QCheckBox>("GCOOPTION_SlowerEdge")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("SlowerEdge")->isChecked());
}

TEST_F(SettingsPagesTest, StartUpShowsWhatIsStoredAndStoresNothing) {
    rec.putText(LM, Driver + "\\atidxhal", "UseAGP", "1");
    rec.putText(LM, Driver + "\\atidxhal", "MAXXMode", "1");
    rec.putText(LM, Driver + "\\atidxhal", "AntiAlias", "2");
    rec.putText(LM, Driver + "\\atidxhal", "AntiAliasRatio", "512");
    rec.putText(LM, Driver + "\\atidxhal", "ZFormats", "11");
    rec.putText(LM, Driver + "\\DirectX", "YUVFastBlit", "1");
    rec.putText(LM, Driver + "\\CPU", "AGPFlags", "-1");
    rec.putNumber(LM, Driver + "\\OpenGL", "OGLEnableHWPageFlip", 1);
    rec.putNumber(LM, Driver + "\\OpenGL", "OGLLODBias", 2);
    rec.putNumber(LM, Driver + "\\OpenGL", "OGLMaxAnisotropy", 16);
    create();
    EXPECT_TRUE(find<QCheckBox>("agp")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("MAXXMode")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("fastbilt")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("FullSceneAA")->isChecked());
    EXPECT_EQ(find<QComboBox>("AntiAlias")->currentText(), QStringLiteral("常に使用する"));
    EXPECT_EQ(find<QComboBox>("AntiAliasRatio")->currentText(), QStringLiteral("４ サンプル"));
    EXPECT_EQ(find<QComboBox>("ZBuffer")->currentIndex(), 3);
    EXPECT_EQ(find<QComboBox>("DitherAlpha")->currentIndex(), -1);
    EXPECT_TRUE(find<QCheckBox>("OGLEnableHWPageFlip")->isChecked());
    EXPECT_EQ(find<QSlider>("DetailBias")->value(), 2);
    EXPECT_EQ(find<QComboBox>("Anisotropic")->currentIndex(), 2);
    auto* agpSpeed = find<TRadioGroup>("AGPSpeed");
    EXPECT_EQ(agpSpeed->itemIndex(), -1);
    EXPECT_TRUE(agpSpeed->isHidden());
    EXPECT_TRUE(rec.stored.empty());
    EXPECT_EQ(form->values().gamesPageState, 1);
}

TEST_F(SettingsPagesTest, AWrongKindShowsTheErrorAndLeavesLaterControlsAsDesigned) {
    rec.putText(LM, Driver + "\\atidxhal", "TCL", "1");
    rec.putNumber(LM, Driver + "\\atidxhal", "ZFormats", 3);
    rec.putText(LM, Driver + "\\atidxhal", "UseAGP", "1");
    create();
    ASSERT_EQ(dialogs.texts(), QStringList{QStringLiteral("'ZFormats' のデータ型が不正です.")});
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("ATI Kavendel"));
    EXPECT_TRUE(find<QCheckBox>("TCL")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("agp")->isChecked());
    EXPECT_EQ(form->values().gamesPageState, 0);
}

TEST_F(SettingsPagesTest, ListsStoreOnlyTheUsersChoice) {
    create();
    auto* dither = find<QComboBox>("DitherAlpha");
    dither->setCurrentIndex(2);
    find<QComboBox>("OGLFSAA")->setCurrentIndex(1);
    EXPECT_TRUE(rec.stored.empty());
    dither->setCurrentIndex(-1);
    QTest::keyClick(dither, Qt::Key_Down); // the user picks the first item, "なし"
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "DitherAlpha"), "2");
    QTest::keyClick(find<QComboBox>("OGLFSAA"), Qt::Key_Down);
    EXPECT_EQ(rec.get(LM, Driver + "\\OpenGL", "OGLEnableFullSceneAA"), "2");
    EXPECT_EQ(rec.kind(LM, Driver + "\\OpenGL", "OGLEnableFullSceneAA"), RegNumber);
}

TEST_F(SettingsPagesTest, TheDetailBarStoresEveryMovement) {
    create();
    auto* bar = find<QSlider>("DetailBias");
    QTest::keyClick(bar, Qt::Key_Left);
    bar->setSliderDown(true);
    bar->setSliderPosition(4);
    bar->setSliderPosition(3);
    bar->setSliderDown(false);
    // A key press, a wheel turn or a grab that leaves the bar where it was stores all the same.
    QTest::keyClick(bar, Qt::Key_Home);
    QTest::keyClick(bar, Qt::Key_Home);
    QTest::keyClick(bar, Qt::Key_Up);
    QWheelEvent down({10, 10}, bar->mapToGlobal(QPoint(10, 10)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &down);
    bar->setSliderDown(true);
    bar->setSliderDown(false);
    std::vector<std::string> positions;
    for (const auto& s : rec.stored)
        positions.push_back(s.text);
    EXPECT_EQ(positions, (std::vector<std::string>{"5", "4", "3", "3", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(rec.kind(LM, Driver + "\\OpenGL", "OGLLODBias"), RegNumber);
}

TEST_F(SettingsPagesTest, FullSceneAASwitchesTheListsEvenWhenItsStoreFails) {
    create();
    auto* box = find<QCheckBox>("FullSceneAA");
    const QWidget* lists[] = {find<QWidget>("AntiAliasGroup"), find<QWidget>("AntiAlias"),
                              find<QWidget>("AntiAliasRatio")};
    click(box);
    click(box);
    for (const QWidget* w : lists)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    rec.failOn = "AntiAlias";
    click(box);
    EXPECT_TRUE(box->isChecked());
    for (const QWidget* w : lists)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("'AntiAlias' の設定に失敗しました.")});
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "AntiAlias"), "0");
}

TEST_F(SettingsPagesTest, TheSpaceBarTogglesABoxBeyondThePageEdge) {
    create();
    showPage("TabSheet2", "TabSheet7");
    auto* box = find<QCheckBox>("busmaster");
    EXPECT_GE(box->mapTo(form->TabSheet2, QPoint(0, 0)).x(), form->TabSheet2->width());
    bool inChain = false;
    for (QWidget* w = form->nextInFocusChain(); w != form.get() && !inChain; w = w->nextInFocusChain())
        inChain = w == box;
    EXPECT_TRUE(inChain);
    EXPECT_TRUE(box->isVisible());
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(rec.get(LM, Driver + "\\Engine", "BusMastering"), "1");
}

TEST_F(SettingsPagesTest, APresetShowsItsMessageFirstAndAFailingStoreEndsIt) {
    create();
    rec.failOn = "HicolorMode";
    presets().Button9Click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("情報"));
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("レジストリの設定を｢緊急時専用設定｣にしました。"));
    EXPECT_EQ(dialogs.shown[1].text, QStringLiteral("'HicolorMode' の設定に失敗しました."));
    EXPECT_EQ(rec.stored.size(), 3u); // the two PowerDesk numbers and ForceDDC
    EXPECT_FALSE(find<QCheckBox>("Powerdesk")->isChecked());
    EXPECT_EQ(find<TRadioGroup>("AGPSpeed")->itemIndex(), -1);
}

TEST_F(SettingsPagesTest, ABoxActionFailingInAPresetEndsItWithOneErrorBox) {
    create();
    rec.failOn = "UseAGP"; // the agp box's own value, stored by its click action alone
    presets().Button10Click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, QStringLiteral("'UseAGP' の設定に失敗しました."));
    EXPECT_TRUE(find<QCheckBox>("agp")->isChecked());
    EXPECT_EQ(find<TRadioGroup>("AGPSpeed")->itemIndex(), -1); // set after the agp box
    EXPECT_EQ(storesOf("UseMMX"), 0);
}

TEST_F(SettingsPagesTest, AGameModeSetsTheBoxesWhoseActionsStoreTheirOwnValues) {
    create();
    presets().Button10Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("レジストリの設定を｢ゲームに特化した設定｣にしました。")});
    EXPECT_EQ(rec.get(LM, Driver + "\\CPU", "AGP"), "1");
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "UseAGP"), "1");
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "CacheBMP"), "1");
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "Vsync"), "1");
    EXPECT_EQ(storesOf("AGPFlags"), 2);
    EXPECT_EQ(rec.get(LM, Driver + "\\CPU", "AGPFlags"), "-1");
    EXPECT_EQ(find<TRadioGroup>("AGPSpeed")->itemIndex(), 1);
    EXPECT_TRUE(find<QCheckBox>("agp")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("TableFog")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("palettized")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("SSE")->isChecked()); // not in the preset

    // Pressed again, every control already shows the mode: only its own 32 values are stored.
    rec.clearLog();
    presets().Button10Click();
    EXPECT_EQ(rec.stored.size(), 32u);
}

TEST_F(SettingsPagesTest, TheBenchmarkModeTurnsVsyncOffInBothKeys) {
    create();
    click(find<QCheckBox>("Vsync"));
    presets().Button12Click();
    EXPECT_FALSE(find<QCheckBox>("Vsync")->isChecked());
    EXPECT_EQ(rec.get(LM, Driver + "\\DirectX", "FlipOnVBlank"), "0");
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "Vsync"), "0");
}

TEST_F(SettingsPagesTest, TheDefaultModeShowsTheAgpCodeItStores) {
    create();
    presets().Button11Click();
    EXPECT_EQ(find<TRadioGroup>("AGPSpeed")->itemIndex(), 3);
    EXPECT_EQ(rec.get(LM, Driver + "\\CPU", "AGPFlags"), "1");
    EXPECT_TRUE(find<QCheckBox>("TableFog")->isChecked());
    EXPECT_EQ(rec.get(LM, Driver + "\\atidxhal", "TableFogEnable"), "1");
    for (const char* name : {"Button9", "Button10", "Button11", "Button12"})
        EXPECT_FALSE(find<QPushButton>(name)->isEnabled()) << name;
}

TEST_F(SettingsPagesTest, RadeonLeButtonStoresBothValuesAndLeavesTheBoxes) {
    rec.putText(LM, Driver + "\\atidxhal", "DisableHyperZ", "1");
    create();
    rec.putText(LM, Driver + "\\atidxhal", "DisableHierarchicalZ", "1"); // by another program
    QTest::mouseClick(find<QPushButton>("Button89"), Qt::LeftButton);
    EXPECT_EQ(rec.stored, (std::vector<RecordingStore::Stored>{
                              {"HKEY_LOCAL_MACHINE" + Driver + "\\atidxhal", "DisableHyperZ", "0"},
                              {"HKEY_LOCAL_MACHINE" + Driver + "\\atidxhal", "DisableHierarchicalZ", "0"}}));
    EXPECT_TRUE(find<QCheckBox>("DisableHyperZ")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("DisableHierarchicalZ")->isChecked());
}

TEST_F(SettingsPagesTest, TheControlsTableShowsEachControlsState) {
    rec.putNumber(LM, Driver + "\\OpenGL", "OGLLODBias", 4);
    create();
    presets().Button10Click();
    for (const char* page : {"TabSheet4", "TabSheet7", "TabSheet8"})
        showPage("TabSheet2", page);
    const QStringList lines = controlsTable(form.get()).split(u'\n');
    auto line = [&](const QString& name) {
        for (const QString& l : lines)
            if (l.section(u'\t', 1, 1) == name)
                return l.split(u'\t');
        return QStringList();
    };
    EXPECT_EQ(line("AGPSpeed").value(7), QStringLiteral("index=1"));
    EXPECT_EQ(line("DetailBias").value(7), QStringLiteral("position=4"));
    EXPECT_EQ(line("ZBuffer").value(7), QStringLiteral("index=-1"));
    EXPECT_EQ(line("agp").value(7), QStringLiteral("checked"));
    EXPECT_EQ(line("busmaster").value(6), QStringLiteral("no"));
    EXPECT_EQ(line("MIPMAP").value(6), QStringLiteral("no"));
    EXPECT_EQ(line("TCL").value(6), QStringLiteral("yes"));
    EXPECT_EQ(line("TabSheet10").value(7), QStringLiteral("withheld")); // no VIA driver here
    EXPECT_EQ(line("MAXXMode").value(5), QStringLiteral("no"));
}

} // namespace
