#include "Direct3DPage.h"

#include "SettingsControls.h"

#include <QWidget>

namespace kv {

Direct3DPage::Direct3DPage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet) {
    // FullSceneAA switches the anti-alias group through its click action in SettingsControls.
    controls.buildSheet(Sheet::Direct3D, sheet);
}

} // namespace kv
