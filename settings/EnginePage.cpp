#include "EnginePage.h"

#include "DriverSettings.h"
#include "RadioGroup.h"
#include "SettingsControls.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>

namespace kv {

EnginePage::EnginePage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet)
    , m_controls(controls) {
    controls.buildSheet(Sheet::Engine, sheet);
    // Nothing enables the dual-chip box; it only stores when something clicks it.
    controls.box("MAXXMode")->setEnabled(false);

    const RadioGroup& data = agpSpeed();
    QStringList items;
    for (const ChoiceItem& item : data.items)
        items << catalogueText(item.text);
    QWidget* system = sheet->findChild<QWidget*>(QStringLiteral("System"));
    auto* group = new TRadioGroup(catalogueText(data.caption), items, 2, system);
    group->setObjectName(fromUtf8(data.control));
    group->setGeometry(8, BelowPages, 217, 57);
    setHint(group, catalogueText(data.hint));
    group->setVisible(false);
    connect(group, &TRadioGroup::itemChanged, this, &EnginePage::AGPSpeedClick);
    controls.agpSpeed = group;

    Button89 = makeButton(sheet, "Button89", tr("RadeonLE用お手軽設定"), {200, 248, 209, 25},
                          tr("RadeonLEをRadeon化します。HyperZとHierarchicalZを使用可能にします。"));
    connect(Button89, &QPushButton::clicked, this, &EnginePage::Button89Click);
}

void EnginePage::AGPSpeedClick(int item) {
    m_controls.guarded([&] { storeAgpSpeed(m_controls.store(), m_controls.driverKeyPath(), item); });
}

void EnginePage::Button89Click() {
    // The two HyperZ boxes keep what they show until the next start reads the values again.
    m_controls.guarded([&] { storeRadeonLe(m_controls.store(), m_controls.driverKeyPath()); });
}

} // namespace kv
