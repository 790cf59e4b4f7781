// The summary page (TabSheet1): the preset buttons, the card summary that discovery fills,
// and the uninstall, exit and version buttons.
#pragma once

#include <QObject>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace kv {

struct SummaryTexts;

class SummaryPage : public QObject {
    Q_OBJECT
public:
    // exitHandler is the window's shared exit action, guarded by the window.
    SummaryPage(QWidget* sheet, const std::function<void()>& exitHandler);

    void showDiscovery(const SummaryTexts& texts);

    QPushButton* Button12 = nullptr; // ベンチマークモード
    QPushButton* Button10 = nullptr; // ゲームモード
    QPushButton* Button11 = nullptr; // 初期設定
    QPushButton* Button9 = nullptr;  // 緊急時専用モード
    QPushButton* uninstall = nullptr;
    QPushButton* Button1 = nullptr;  // 終了
    QPushButton* Button25 = nullptr; // バージョン情報
    QLabel* Label5 = nullptr;        // board name
    QLabel* Label29 = nullptr;       // AGP mode
    QLabel* Label31 = nullptr;       // driver version
    QLabel* Label7 = nullptr;        // memory type
    QLabel* Label11 = nullptr;       // memory size
    QLabel* optionLabels[4] = {};    // Label9, Label90, Label8, Label16
};

} // namespace kv
