#include "HandlerNesting.h"

#include "HandlerGuard.h"

#include <utility>

namespace kv {

void HandlerNesting::fromSignal(const std::function<void()>& handler) {
    if (m_depth == 0) {
        runGuarded(m_dialogs, [&] { within(handler); });
        m_held = nullptr;
        return;
    }
    try {
        within(handler);
    } catch (...) {
        if (!m_held)
            m_held = std::current_exception();
    }
}

void HandlerNesting::within(const std::function<void()>& handler) {
    struct Depth {
        int& depth;
        explicit Depth(int& d)
            : depth(++d) {}
        ~Depth() { --depth; }
    } depth(m_depth);
    handler();
}

void HandlerNesting::set(const std::function<void()>& setter) {
    setter();
    if (m_held)
        std::rethrow_exception(std::exchange(m_held, nullptr));
}

} // namespace kv
