#include "SummaryPage.h"

#include "Discovery.h"
#include "Widgets.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace kv {

namespace {

constexpr QSize ButtonSize(121, 25);
constexpr QSize PresetButtonSize(153, 25);

QPushButton* makePresetButton(QGroupBox* group, const char* name, const QString& caption, QPoint at,
                              const QString& hint) {
    QPushButton* button = makeButton(group, name, caption, QRect(at, PresetButtonSize), hint);
    button->setEnabled(false);
    return button;
}

} // namespace

SummaryPage::SummaryPage(QWidget* sheet, const std::function<void()>& exitHandler)
    : QObject(sheet) {
    QLabel* title = makeLabel(sheet, "Label1", QStringLiteral("ATI Kavendel Ver0.97"), {88, 8});
    setLabelFont(title, true, 19);

    QGroupBox* presets = makeGroup(sheet, "GroupBox2", tr("レジストリのお手軽設定"), {8, 42, 401, 81});
    Button12 = makePresetButton(presets, "Button12", tr("ベンチマークモード"), {32, 16},
                                tr("最も性能を発揮する設定です。"));
    Button10 = makePresetButton(presets, "Button10", tr("ゲームモード"), {216, 16},
                                tr("ゲーム用に最適の設定です。"));
    Button11 =
        makePresetButton(presets, "Button11", tr("初期設定"), {32, 48}, tr("ドライバを入れた最初の設定"));
    Button9 = makePresetButton(presets, "Button9", tr("緊急時専用モード"), {216, 48},
                               tr("Socket7ユーザー等きちんと動作しない場合の設定"));

    auto* bevel = new QFrame(sheet);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 128, 401, 193);

    makeLabel(sheet, "Label13", tr("ボード："), {60, 140});
    Label5 = makeLabel(sheet, "Label5", QStringLiteral("ATI All in Wonder Radeon"), {104, 138},
                       tr("お使いのRadeonのモデル名"));
    setLabelFont(Label5, true, 15);
    makeLabel(sheet, "Label30", tr("AGP動作："), {124, 162});
    Label29 = makeLabel(sheet, "Label29", tr("不明"), {180, 162}, tr("AGPの動作速度を示しています。"));
    setLabelFont(Label29, true);
    makeLabel(sheet, "Label27", tr("使用ドライバ："), {106, 178});
    Label31 =
        makeLabel(sheet, "Label31", tr("不明"), {180, 178}, tr("現在使用中のドライバのバージョンです。"));
    makeLabel(sheet, "Label6", tr("搭載メモリー："), {104, 200});
    Label7 = makeLabel(sheet, "Label7", tr("不明"), {176, 200}, tr("メモリーの種類を表示します。"));
    makeLabel(sheet, "Label14", tr("メモリー容量："), {104, 216});
    Label11 = makeLabel(sheet, "Label11", tr("不明"), {176, 216}, tr("メモリーの容量を表示します。"));
    makeLabel(sheet, "Label15", tr("オプション："), {118, 232});
    const char* optionNames[4] = {"Label9", "Label90", "Label8", "Label16"};
    for (int i = 0; i < 4; ++i)
        optionLabels[i] = makeLabel(sheet, optionNames[i], QString(), {176, 232 + 16 * i},
                                    tr("付属のオプション類を表示します。"));
    makeLabel(sheet, "Label4", tr("｢Radeon256｣はATI Technologies社の商標です。"), {96, 304});

    uninstall = makeButton(sheet, "uninstall", tr("アンインストールする"), QRect({8, 328}, ButtonSize),
                           tr("Radeonのドライバをアンインストールします。"));
    uninstall->setEnabled(false);
    Button1 = makeExitButton(sheet, "Button1", QRect({168, 328}, ButtonSize));
    connect(Button1, &QPushButton::clicked, this, exitHandler);
    Button25 = makeButton(sheet, "Button25", tr("バージョン情報"), QRect({296, 328}, ButtonSize),
                          tr("Kavendelのバージョンを表示します。"));
}

void SummaryPage::showDiscovery(const SummaryTexts& texts) {
    setLabelText(Label5, QString::fromStdString(texts.boardName));
    setLabelText(Label29, QString::fromStdString(texts.agpMode));
    setLabelText(Label31, QString::fromStdString(texts.driverVersion));
    setLabelText(Label7, QString::fromStdString(texts.memoryType));
    setLabelText(Label11, QString::fromStdString(texts.memorySize));
    for (int i = 0; i < 4; ++i)
        setLabelText(optionLabels[i], QString::fromStdString(texts.optionDevices[i]));
}

} // namespace kv
