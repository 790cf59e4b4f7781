#include "EnginePage.h"

#include "DriverSettings.h"
#include "Guard.h"
#include "SettingsControls.h"
#include "TRadioGroup.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

namespace kv {

EnginePage::EnginePage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet)
    , m_controls(controls) {
    controls.buildSheet(Sheet::Engine, sheet);
    // Nothing enables the dual-chip box; it only stores when something clicks it.
    controls.box("MAXXMode")->setEnabled(false);

    const RadioSetting& data = agpSpeedSetting();
    QStringList items;
    for (const ChoiceItem& item : data.items)
        items << catalogueText(item.text);
    QWidget* system = controls.group("System");
    AGPSpeed = new TRadioGroup(catalogueText(data.caption), items, 2, system);
    AGPSpeed->setObjectName(fromUtf8(data.control));
    AGPSpeed->setGeometry(8, BelowPages, 217, 57);
    setHint(AGPSpeed, catalogueText(data.hint));
    AGPSpeed->setVisible(false);
    connect(AGPSpeed, &TRadioGroup::itemChanged, this, &EnginePage::AGPSpeedClick);

    Button89 = makeButton(sheet, "Button89", tr("RadeonLE用お手軽設定"), {200, 248, 209, 25},
                          tr("RadeonLEをRadeon化します。HyperZとHierarchicalZを使用可能にします。"));
    connect(Button89, &QPushButton::clicked, this, &EnginePage::Button89Click);
}

void EnginePage::AGPSpeedClick(int item) {
    m_controls.guard().run([&] { storeAgpSpeed(m_controls.store(), m_controls.driverKeyPath(), item); });
}

void EnginePage::Button89Click() {
    // The two HyperZ boxes keep what they show until the next start reads the values again.
    m_controls.guard().run([&] { storeRadeonLe(m_controls.store(), m_controls.driverKeyPath()); });
}

} // namespace kv
