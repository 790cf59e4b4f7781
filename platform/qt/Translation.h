// The program's own texts in the interface language: the texts that tables mark with
// QT_TRANSLATE_NOOP, and the messages and failures that the store and the file code raise.
#pragma once

#include "Message.h"

#include <QString>

#include <exception>
#include <functional>
#include <string_view>

namespace kv {

QString translated(const char* context, std::string_view text);
QString shownText(const Message& message);

// A failure as the user reads it: what failed, and why (the texts of what it failed on, then
// the system's words), which is empty when there is nothing more to say.
struct ShownFailure {
    QString text;
    QString reason;
    // Both on one line, "text: reason".
    QString joined() const;
};

using MessageShower = std::function<QString(const Message&)>;
// An error in the interface language, each message put by show: the program's own failures
// translated, any other error as its what() says.
ShownFailure shownFailure(const std::exception& error, const MessageShower& show);
ShownFailure shownFailure(const std::exception& error);
// The same on one line.
QString shownText(const std::exception& error);

} // namespace kv
