#include "Failure.h"

#include <cerrno>

namespace kv {

std::error_code systemReason(int errnoValue) {
    return {errnoValue, std::generic_category()};
}

std::error_code lastSystemReason() {
    return systemReason(errno);
}

Failure::Failure(Message message, std::error_code reason, Fault fault)
    : Failure(std::vector<Message>{std::move(message)}, reason, fault) {}

Failure::Failure(std::vector<Message> messages, std::error_code reason, Fault fault)
    : std::runtime_error(messages.front().text())
    , m_messages(std::move(messages))
    , m_reason(reason)
    , m_fault(fault) {}

Failure Failure::within(Message step) const {
    std::vector<Message> messages;
    messages.reserve(m_messages.size() + 1);
    messages.push_back(std::move(step));
    messages.insert(messages.end(), m_messages.begin(), m_messages.end());
    return Failure(std::move(messages), m_reason, m_fault);
}

Failure Failure::as(Fault fault) const {
    return Failure(m_messages, m_reason, fault);
}

std::string Failure::systemWords() const {
    return m_reason ? m_reason.message() : std::string();
}

std::string Failure::text() const {
    std::string text;
    for (const Message& message : m_messages) {
        const std::string part = message.text();
        if (part.empty())
            continue;
        if (!text.empty())
            text += ": ";
        text += part;
    }
    const std::string words = systemWords();
    if (!words.empty())
        text += (text.empty() ? "" : ": ") + words;
    return text;
}

} // namespace kv
