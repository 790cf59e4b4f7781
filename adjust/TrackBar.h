// A horizontal track bar that answers keys and counts actions as the Windows control does.
//
// Keys: Right and Down raise the position by one step, Left and Up lower it; Page Down raises
// it by the page size and Page Up lowers it; Home goes to the minimum and End to the maximum.
//
// A user's action counts even when it leaves the position where it was: a key press at the end
// of the range, a wheel turn against a stop, a click on the bar, or grabbing the thumb and
// letting go in place. Qt's valueChanged only reports real moves, which is what a move set by
// the program must run; movedInPlace covers the rest of the user's actions.
#pragma once

#include <QSlider>

namespace kv {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    TrackBar(QWidget* parent, const char* name, const QRect& geometry, int minimum, int maximum, int position,
             int pageSize);

signals:
    void movedInPlace();
    // A drag that moved the thumb has ended; a grab released in place reports movedInPlace.
    void releasedAfterDrag();

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
