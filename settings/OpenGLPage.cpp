#include "OpenGLPage.h"

#include "DriverSettings.h"
#include "SettingsControls.h"
#include "TrackBar.h"
#include "Widgets.h"

#include <QWidget>

namespace kv {

OpenGLPage::OpenGLPage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet)
    , m_controls(controls) {
    controls.buildSheet(Sheet::OpenGL, sheet);

    QWidget* group = sheet->findChild<QWidget*>(QStringLiteral("DetailBiasGroup"));
    auto* bar = new TrackBar(group, DetailBias.control.data(), {8, 16, 185, 33}, DetailBias.minimum,
                             DetailBias.maximum, DetailBias.designPosition, 1);
    makeLabel(group, "", tr("ファジー"), {6, 48});
    makeLabel(group, "", tr("シャープ"), {155, 48});
    // Every movement stores the position of that moment, also a key press or click that leaves
    // the bar where it was, and the end of a drag stores it once more.
    connect(bar, &QSlider::valueChanged, this, &OpenGLPage::DetailBiasChange);
    connect(bar, &TrackBar::movedInPlace, this, &OpenGLPage::DetailBiasChange);
    connect(bar, &TrackBar::releasedAfterDrag, this, &OpenGLPage::DetailBiasChange);
    controls.detailBias = bar;
}

void OpenGLPage::DetailBiasChange() {
    m_controls.guarded([this] {
        storeDetailBias(m_controls.store(), m_controls.driverKeyPath(), m_controls.detailBias->value());
    });
}

} // namespace kv
