// The program's own texts in the interface language: the texts that tables mark with
// QT_TRANSLATE_NOOP, and the messages and errors that the store and the file code raise.
#pragma once

#include "Message.h"

#include <QString>

#include <exception>
#include <string_view>

namespace kv {

QString translated(const char* context, std::string_view text);
QString shownText(const Message& message);
// An error's message: translated when it is the program's own, otherwise as it is.
QString shownText(const std::exception& error);

} // namespace kv
