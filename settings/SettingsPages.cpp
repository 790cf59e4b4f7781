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

SettingsPages::SettingsPages(const SettingsSheets& sheets, const ProgramValues& values, SettingsStore& store,
                             Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_values(values)
    , m_controls(values, store, dialogs) {
    new EnginePage(sheets.engine, m_controls);
    new Direct3DPage(sheets.direct3D, m_controls);
    new OpenGLPage(sheets.openGL, m_controls);
    new RegistryPage(sheets.registry, m_controls);
    new PresetModes(sheets.summary, m_controls, dialogs);
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
        const QSignalBlocker blocker(m_controls.detailBias);
        m_controls.detailBias->setValue(index);
        return;
    }
    m_controls.list(control)->setCurrentIndex(index);
}

void SettingsPages::showAntiAliasEnabled(bool enabled) {
    m_controls.setAntiAliasEnabled(enabled);
}

} // namespace kv
