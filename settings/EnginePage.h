// The page "Radeonエンジン" (TabSheet4): the system and engine boxes, the hidden AGP speed
// group and the Radeon LE button.
#pragma once

#include <QObject>

class QPushButton;
class QWidget;

namespace kv {

class SettingsControls;
class TRadioGroup;

class EnginePage : public QObject {
    Q_OBJECT
public:
    EnginePage(QWidget* sheet, SettingsControls& controls);

    void AGPSpeedClick(int item);
    void Button89Click();

    TRadioGroup* AGPSpeed = nullptr; // hidden below the page
    QPushButton* Button89 = nullptr;

private:
    SettingsControls& m_controls;
};

} // namespace kv
