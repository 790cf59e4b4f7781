#include "PresetModes.h"

#include "Dialogs.h"
#include "DriverSettings.h"
#include "Guard.h"
#include "SettingsControls.h"
#include "TRadioGroup.h"

#include <QPushButton>

namespace kv {

PresetModes::PresetModes(const ModeButtons& buttons, SettingsControls& controls, TRadioGroup* agpSpeed,
                         Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_controls(controls)
    , m_agpSpeed(agpSpeed)
    , m_dialogs(dialogs) {
    setObjectName(QStringLiteral("PresetModes"));
    connect(buttons.Button9, &QPushButton::clicked, this, &PresetModes::Button9Click);
    connect(buttons.Button10, &QPushButton::clicked, this, &PresetModes::Button10Click);
    connect(buttons.Button12, &QPushButton::clicked, this, &PresetModes::Button12Click);
    connect(buttons.Button11, &QPushButton::clicked, this, &PresetModes::Button11Click);
}

void PresetModes::runMode(Mode mode) {
    const auto column = static_cast<std::size_t>(mode);
    Guard& guard = m_controls.guard();
    guard.run([&] {
        // Nothing is stored until the user has closed the box.
        m_dialogs.message(tr("情報").toStdString(), catalogueText(presetMessage(mode)).toStdString(),
                          Dialogs::Icon::Information);
        storePresetValues(m_controls.store(), m_controls.driverKeyPath(), mode);
        for (const PresetControl& control : presetControls()) {
            const int state = control.state[column];
            if (control.control == agpSpeedSetting().control)
                guard.setByProgram([&] { m_agpSpeed->setItemIndex(state); });
            else
                m_controls.setBoxByProgram(control.control, state != 0);
        }
    });
}

} // namespace kv
