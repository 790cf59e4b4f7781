// The page "Direct3D 設定" (TabSheet7): the Direct3D boxes, the anti-alias, Z buffer and
// dither lists, and the DirectX boxes beyond the page's edge.
#pragma once

#include <QObject>

class QWidget;

namespace kv {

class SettingsControls;

class Direct3DPage : public QObject {
    Q_OBJECT
public:
    Direct3DPage(QWidget* sheet, SettingsControls& controls);
};

} // namespace kv
