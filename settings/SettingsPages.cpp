#include "SettingsPages.h"

#include "Direct3DPage.h"
#include "EnginePage.h"
#include "OpenGLPage.h"
#include "PresetModes.h"
#include "ProgramValues.h"
#include "RegistryPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>

namespace kv {

SettingsPages::SettingsPages(const SettingsSheets& sheets, const ModeButtons& modeButtons,
                             const ProgramValues& values, SettingsStore& store, Dialogs& dialogs,
                             Guard& guard, QObject* parent)
    : QObject(parent)
    , m_values(values)
    , m_controls(values, store, guard) {
    const auto* engine = new EnginePage(sheets.engine, m_controls);
    new Direct3DPage(sheets.direct3D, m_controls);
    m_openGL = new OpenGLPage(sheets.openGL, m_controls);
    new RegistryPage(sheets.registry, m_controls);
    new PresetModes(modeButtons, m_controls, engine->AGPSpeed, dialogs, this);
}

void SettingsPages::readInitialStates() {
    kv::readInitialStates(m_controls.store(), m_values.foundDisplayIndex, *this);
}

void SettingsPages::showChecked(std::string_view control, bool checked) {
    QCheckBox* box = m_controls.box(control);
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

void SettingsPages::showChoice(std::string_view control, int index) {
    if (control == DetailBias.control) {
        const QSignalBlocker blocker(m_openGL->bar());
        m_openGL->bar()->setValue(index);
        return;
    }
    m_controls.list(control)->setCurrentIndex(index);
}

void SettingsPages::showAntiAliasEnabled(bool enabled) {
    m_controls.setAntiAliasEnabled(enabled);
}

} // namespace kv
