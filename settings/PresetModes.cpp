#include "PresetModes.h"

#include "Dialogs.h"
#include "DriverSettings.h"
#include "SettingsControls.h"
#include "Widgets.h"

#include <QPushButton>
#include <QWidget>

namespace kv {

PresetModes::PresetModes(QWidget* summarySheet, SettingsControls& controls, Dialogs& dialogs)
    : QObject(summarySheet)
    , m_controls(controls)
    , m_dialogs(dialogs) {
    setObjectName(QStringLiteral("PresetModes"));
    const std::pair<const char*, void (PresetModes::*)()> handlers[] = {
        {"Button9", &PresetModes::Button9Click},
        {"Button10", &PresetModes::Button10Click},
        {"Button12", &PresetModes::Button12Click},
        {"Button11", &PresetModes::Button11Click},
    };
    for (const auto& [name, handler] : handlers)
        if (auto* button = summarySheet->findChild<QPushButton*>(QString::fromLatin1(name)))
            connect(button, &QPushButton::clicked, this, handler);
}

void PresetModes::runMode(Mode mode) {
    const auto column = static_cast<std::size_t>(mode);
    m_controls.guarded([&] {
        const PresetButton& button = presetButtons()[column];
        // Nothing is stored until the user has closed the box.
        m_dialogs.message(tr("情報"), catalogueText(button.message), Dialogs::Icon::Information);
        storePresetValues(m_controls.store(), m_controls.driverKeyPath(), mode);
        for (const PresetControl& control : presetControls()) {
            const int state = control.state[column];
            if (control.control == agpSpeed().control)
                m_controls.setAgpSpeedByProgram(state);
            else
                m_controls.setBoxByProgram(control.control, state != 0);
        }
    });
}

} // namespace kv
