// A horizontal track bar whose user actions count even when they leave the position where it
// was: a key press at the end of the range, a wheel turn against a stop, or grabbing the thumb
// and letting go in place. Qt's valueChanged only reports real moves, which is what a move set
// by the program must run; movedInPlace covers the rest of the user's moves.
#pragma once

#include <QSlider>

namespace kv {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    TrackBar(QWidget* parent, const char* name, const QRect& geometry, int minimum, int maximum,
             int position);

signals:
    void movedInPlace();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Runs the slider's own handling of an input event and reports an action that did not move.
    template <typename Base> void watchAction(Base&& base);

    bool m_acted = false;
    bool m_moved = false;
    bool m_movedWhileDown = false;
};

} // namespace kv
