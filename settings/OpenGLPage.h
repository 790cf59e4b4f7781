// The page "OpenGL 設定" (TabSheet8): the OpenGL boxes, the three number lists and the
// level-of-detail bar.
#pragma once

#include <QObject>

class QSlider;
class QWidget;

namespace kv {

class SettingsControls;

class OpenGLPage : public QObject {
    Q_OBJECT
public:
    OpenGLPage(QWidget* sheet, SettingsControls& controls);

    void DetailBiasChange();

    // The level-of-detail bar, DetailBias.
    QSlider* bar() const { return m_bar; }

private:
    SettingsControls& m_controls;
    QSlider* m_bar = nullptr;
};

} // namespace kv
