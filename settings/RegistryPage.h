// The page "レジストリ" itself (TabSheet2): the general and 2D boxes and six more, all placed
// beyond the page's edge, where only the keyboard reaches them.
#pragma once

#include <QObject>

class QWidget;

namespace kv {

class SettingsControls;

class RegistryPage : public QObject {
    Q_OBJECT
public:
    RegistryPage(QWidget* sheet, SettingsControls& controls);
};

} // namespace kv
