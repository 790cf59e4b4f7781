#include "OpenGLPage.h"

#include "DriverSettings.h"
#include "Guard.h"
#include "SettingsControls.h"
#include "Widgets.h"

#include <QGroupBox>
#include <QSlider>
#include <QWidget>

namespace kv {

OpenGLPage::OpenGLPage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet)
    , m_controls(controls) {
    controls.buildSheet(Sheet::OpenGL, sheet);

    QWidget* group = controls.group("DetailBiasGroup");
    auto* bar = new QSlider(Qt::Horizontal, group);
    bar->setObjectName(fromUtf8(DetailBias.control));
    bar->setGeometry(8, 16, 185, 33);
    bar->setRange(DetailBias.minimum, DetailBias.maximum);
    bar->setValue(DetailBias.designPosition);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    bar->setPageStep(1);
    makeLabel(group, "", tr("ファジー"), {6, 48});
    makeLabel(group, "", tr("シャープ"), {155, 48});
    // Every movement stores the position of that moment, and the end of a drag stores it once more.
    connect(bar, &QSlider::valueChanged, this, &OpenGLPage::DetailBiasChange);
    connect(bar, &QSlider::sliderReleased, this, &OpenGLPage::DetailBiasChange);
    m_bar = bar;
}

void OpenGLPage::DetailBiasChange() {
    m_controls.guard().run(
        [this] { storeDetailBias(m_controls.store(), m_controls.driverKeyPath(), m_bar->value()); });
}

} // namespace kv
