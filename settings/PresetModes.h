// The four mode buttons of the summary page. Each shows its message, stores its mode's values,
// then sets the boxes and the AGP speed group so that each change runs its own action.
#pragma once

#include "SettingsCatalogue.h"

#include <QObject>

class QPushButton;

namespace kv {

class Dialogs;
class SettingsControls;
class TRadioGroup;

// The summary page's mode buttons.
struct ModeButtons {
    QPushButton* Button9;  // 緊急時専用モード
    QPushButton* Button10; // ゲームモード
    QPushButton* Button12; // ベンチマークモード
    QPushButton* Button11; // 初期設定
};

class PresetModes : public QObject {
    Q_OBJECT
public:
    PresetModes(const ModeButtons& buttons, SettingsControls& controls, TRadioGroup* agpSpeed,
                Dialogs& dialogs, QObject* parent);

    void Button9Click() { runMode(Mode::Emergency); }
    void Button10Click() { runMode(Mode::Game); }
    void Button12Click() { runMode(Mode::Benchmark); }
    void Button11Click() { runMode(Mode::Default); }

private:
    void runMode(Mode mode);

    SettingsControls& m_controls;
    TRadioGroup* m_agpSpeed;
    Dialogs& m_dialogs;
};

} // namespace kv
