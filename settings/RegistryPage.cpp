#include "RegistryPage.h"

#include "SettingsControls.h"

#include <QWidget>

namespace kv {

RegistryPage::RegistryPage(QWidget* sheet, SettingsControls& controls)
    : QObject(sheet) {
    controls.buildSheet(Sheet::Registry, sheet);
}

} // namespace kv
