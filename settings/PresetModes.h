// The four mode buttons of the summary page. Each shows its message, stores its mode's values,
// then sets the boxes and the AGP speed group so that each change runs its own action.
#pragma once

#include "SettingsCatalogue.h"

#include <QObject>

class QWidget;

namespace kv {

class Dialogs;
class SettingsControls;

class PresetModes : public QObject {
    Q_OBJECT
public:
    // Binds the buttons named Button9 to Button12 found on the summary sheet.
    PresetModes(QWidget* summarySheet, SettingsControls& controls, Dialogs& dialogs);

    void Button9Click() { runMode(Mode::Emergency); }
    void Button10Click() { runMode(Mode::Game); }
    void Button12Click() { runMode(Mode::Benchmark); }
    void Button11Click() { runMode(Mode::Default); }

private:
    void runMode(Mode mode);

    SettingsControls& m_controls;
    Dialogs& m_dialogs;
};

} // namespace kv
