#include "TrackBar.h"

namespace kv {

TrackBar::TrackBar(QWidget* parent, const char* name, const QRect& geometry, int minimum, int maximum,
                   int position)
    : QSlider(Qt::Horizontal, parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    setRange(minimum, maximum);
    setSingleStep(1);
    setTickInterval(1);
    setTickPosition(QSlider::TicksBelow);
    setValue(position);
    connect(this, &QAbstractSlider::actionTriggered, this, [this] { m_acted = true; });
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        m_moved = true;
        m_movedWhileDown = true;
    });
    connect(this, &QAbstractSlider::sliderPressed, this, [this] { m_movedWhileDown = false; });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        if (!m_movedWhileDown)
            emit movedInPlace();
    });
}

template <typename Base> void TrackBar::watchAction(Base&& base) {
    m_acted = false;
    m_moved = false;
    base();
    if (m_acted && !m_moved)
        emit movedInPlace();
}

void TrackBar::keyPressEvent(QKeyEvent* event) {
    watchAction([&] { QSlider::keyPressEvent(event); });
}

void TrackBar::mousePressEvent(QMouseEvent* event) {
    watchAction([&] { QSlider::mousePressEvent(event); });
}

void TrackBar::wheelEvent(QWheelEvent* event) {
    watchAction([&] { QSlider::wheelEvent(event); });
}

} // namespace kv
