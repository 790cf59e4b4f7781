// The page "3Dカラー設定" (TabSheet9): the driver's game gamma DALGameGammaScale as one
// brightness bar and three colour bars, four presets and the fine-adjustment switch.
#pragma once

#include <QObject>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kv {

class Guard;
class SettingsStore;
class TrackBar;
struct ProgramValues;

class GammaPage : public QObject {
    Q_OBJECT
public:
    // values supplies the driver key path, which start-up fixes after the page is built.
    GammaPage(QWidget* sheet, SettingsStore& store, Guard& guard, const ProgramValues& values);

    void TabSheet9Show();
    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
    void TrackBar4Change();
    void Gamma3DClick();
    // Button4Click, Button88Click, Button6Click and Button7Click: the preset's brightness.
    void presetClick(int brightness);

    TrackBar* TrackBar1 = nullptr; // brightness
    TrackBar* TrackBar2 = nullptr; // red
    TrackBar* TrackBar3 = nullptr; // green
    TrackBar* TrackBar4 = nullptr; // blue
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QCheckBox* Gamma3D = nullptr;
    QLabel* Label152 = nullptr; // 赤：
    QLabel* Label153 = nullptr; // 緑：
    QLabel* Label154 = nullptr; // 青：

private:
    // The colour rows that Gamma3D enables.
    std::array<QWidget*, 9> fineControls() const;
    void connectBar(TrackBar* bar, void (GammaPage::*handler)());
    // Sets a bar from a handler: clamped, and its handler runs only when it moves.
    void setBar(TrackBar* bar, int position);
    void colourChange(TrackBar* bar, QLineEdit* field);
    void showValue();

    SettingsStore& m_store;
    const ProgramValues& m_values;
    Guard& m_guard;
};

} // namespace kv
