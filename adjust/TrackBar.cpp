#include "TrackBar.h"

#include <QKeyEvent>

namespace kv {

namespace {

struct KeyAction {
    int key;
    QAbstractSlider::SliderAction action;
};

// The Windows track bar's keys on a horizontal bar.
constexpr KeyAction KeyActions[] = {
    {Qt::Key_Right, QAbstractSlider::SliderSingleStepAdd},
    {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
    {Qt::Key_Left, QAbstractSlider::SliderSingleStepSub},
    {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
    {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
    {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
    {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
    {Qt::Key_End, QAbstractSlider::SliderToMaximum},
};

} // namespace

TrackBar::TrackBar(QWidget* parent, const char* name, const QRect& geometry, int minimum, int maximum,
                   int position, int pageSize)
    : QSlider(Qt::Horizontal, parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    setRange(minimum, maximum);
    setSingleStep(1);
    setPageStep(pageSize);
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
        if (m_movedWhileDown)
            emit releasedAfterDrag();
        else
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
    for (const KeyAction& k : KeyActions) {
        if (k.key == event->key() && !(event->modifiers() & ~Qt::KeypadModifier)) {
            event->accept();
            watchAction([&] { triggerAction(k.action); });
            return;
        }
    }
    QSlider::keyPressEvent(event);
}

void TrackBar::mousePressEvent(QMouseEvent* event) {
    watchAction([&] { QSlider::mousePressEvent(event); });
}

void TrackBar::wheelEvent(QWheelEvent* event) {
    watchAction([&] { QSlider::wheelEvent(event); });
}

} // namespace kv
