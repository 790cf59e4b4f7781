// The program's one exception type. It carries a text for the user, which the window and the
// command line show in the interface language; the system's reason, when the system gave one
// (an errno value, shown after the text); and, for the few failures that some caller tells
// apart from the others, a fault. A step that meets a failure and says what it was doing keeps
// the failure's own texts after its own, with its reason and fault.
//
// what() is the headline, what failed, in the source language; text() adds why. The window
// shows the headline as the error box's text and the rest under it; a terminal gets both.
#pragma once

#include "Message.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace kv {

enum class Fault {
    none,
    // A file system whose own records contradict each other, or a file it cannot hold.
    damagedFileSystem,
    // What was asked for cannot be done as asked: the command line exits with status 2.
    badUsage,
    // A change that the program's own safety net stopped before it began, as the snapshot it
    // takes first could not be saved.
    refused,
};

// An errno value as a reason.
std::error_code systemReason(int errnoValue);
// errno as the system left it: take it before anything else can set it.
std::error_code lastSystemReason();

class Failure : public std::runtime_error {
public:
    explicit Failure(Message message, std::error_code reason = {}, Fault fault = Fault::none);

    // The failure as a step that met it says it: the step's message first, then this
    // failure's messages, with the same reason and fault.
    Failure within(Message step) const;
    // The same failure, of the given fault.
    Failure as(Fault fault) const;

    // Outermost first: what was being done, then what it failed on.
    const std::vector<Message>& messages() const { return m_messages; }
    const Message& message() const { return m_messages.front(); }
    // The system's reason; empty when the system gave none.
    std::error_code reason() const { return m_reason; }
    bool is(Fault fault) const { return m_fault == fault; }
    // The system's words for the reason; empty when there is none.
    std::string systemWords() const;
    // Every message and the system's words, in the source language, joined by ": ".
    std::string text() const;

private:
    Failure(std::vector<Message> messages, std::error_code reason, Fault fault);

    std::vector<Message> m_messages;
    std::error_code m_reason;
    Fault m_fault;
};

// Where a step that goes on tells what it passed over or chose, and why, for its caller to show:
// a file it could not take, say. A library prints nothing itself.
using Notes = std::function<void(const Failure&)>;

} // namespace kv
