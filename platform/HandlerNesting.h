// Handlers that run one another through the controls they set: the gamma bars, the VIA radio
// buttons, and the mode buttons that set the driver boxes. A control's signal runs its handler;
// at top level that handler runs inside the error guard, but when another handler set the
// control, the error is held and thrown again once the setter returns, so it also ends the
// handler that set the control and the user sees one error box, not one per control. No
// exception ever passes through Qt's signal code.
#pragma once

#include <exception>
#include <functional>

namespace kv {

class Dialogs;

class HandlerNesting {
public:
    explicit HandlerNesting(Dialogs& dialogs)
        : m_dialogs(dialogs) {}

    // Runs a handler that a control's signal started.
    void fromSignal(const std::function<void()>& handler);
    // Runs a handler's body while counting it as running: the window's show handlers, which
    // the window already guards, go through here.
    void within(const std::function<void()>& handler);
    // Sets a control through setter, then throws the error held from the handler it ran.
    void set(const std::function<void()>& setter);

private:
    Dialogs& m_dialogs;
    int m_depth = 0;
    std::exception_ptr m_held;
};

} // namespace kv
