// The one guard every event handler runs in: an error ends the handler and is shown in the
// error box titled "ATI Kavendel"; no exception ever crosses a Qt frame.
//
// Handlers run one another through the controls they set: the gamma bars, the VIA radio
// buttons, and the mode buttons that set the driver boxes. When a handler sets a control through
// setByProgram and the control's own handler fails, that error is held while Qt's signal code
// returns, then thrown again from setByProgram, so it also ends the handler that set the control
// and the user sees one error box, not one per control.
#pragma once

#include <exception>
#include <functional>

namespace kv {

class Dialogs;

class Guard {
public:
    explicit Guard(Dialogs& dialogs)
        : m_dialogs(dialogs) {}
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    // Runs a handler: a control's, a button's or a page's show handler. At the outermost level
    // its error is shown in the error box; inside another handler it is held for setByProgram.
    void run(const std::function<void()>& handler);
    // Sets a control from inside a handler, then throws the error held from the handler that
    // the control ran.
    void setByProgram(const std::function<void()>& setter);

private:
    void runOutermost(const std::function<void()>& handler);
    void showError(std::exception_ptr error);

    Dialogs& m_dialogs;
    int m_depth = 0;
    std::exception_ptr m_held;
};

// The error box for an error: what failed as its text, why under it.
void showFailure(Dialogs& dialogs, const std::exception& error);

} // namespace kv
