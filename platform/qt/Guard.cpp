#include "Guard.h"

#include "Dialogs.h"
#include "Translation.h"

#include <QCoreApplication>

#include <utility>

namespace kv {

namespace {

// Counts a handler as running for as long as it runs, also when it throws.
class Running {
public:
    explicit Running(int& depth)
        : m_depth(++depth) {}
    ~Running() { --m_depth; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    int& m_depth;
};

} // namespace

void Guard::run(const std::function<void()>& handler) {
    if (m_depth == 0) {
        runOutermost(handler);
        return;
    }
    try {
        const Running running(m_depth);
        handler();
    } catch (...) {
        if (!m_held)
            m_held = std::current_exception();
    }
}

void Guard::runOutermost(const std::function<void()>& handler) {
    std::exception_ptr error;
    try {
        const Running running(m_depth);
        handler();
    } catch (...) {
        error = std::current_exception();
    }
    // An error held from a control that was set without setByProgram did not end the handler,
    // but it is shown all the same, before the handler's own.
    if (m_held)
        showError(std::exchange(m_held, nullptr));
    if (error)
        showError(error);
}

void Guard::setByProgram(const std::function<void()>& setter) {
    setter();
    if (m_held)
        std::rethrow_exception(std::exchange(m_held, nullptr));
}

void Guard::showError(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const std::exception& e) {
        showFailure(m_dialogs, e);
    } catch (...) {
        const QString text = QCoreApplication::translate("HandlerGuard", "不明なエラーが発生しました");
        m_dialogs.failure(ApplicationTitle, errorBoxText(text.toStdString()), {});
    }
}

void showFailure(Dialogs& dialogs, const std::exception& error) {
    const ShownFailure shown = shownFailure(error);
    dialogs.failure(ApplicationTitle, errorBoxText(shown.text.toStdString()), shown.reason.toStdString());
}

} // namespace kv
