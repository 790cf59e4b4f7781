// Texts of the program's own for the user, kept translatable without Qt. A text is written in
// the program's source language, Japanese, and marked with QT_TRANSLATE_NOOP(context, text):
// lupdate collects it under its context, and the window shows it in the interface language.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The same definition as Qt's, for code that does not include Qt.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace kv {

// A message: a marked text whose "%1" to "%9" stand for its arguments, after a lead that is
// shown as it is (a file name and a line number, say).
struct Message {
    std::string lead;
    const char* context = "";
    const char* source = "";       // UTF-8
    std::vector<std::string> args; // UTF-8

    // A text shown as it is in every language: a file's name, say, or another program's words.
    static Message verbatim(std::string text) { return Message{std::move(text), "", "", {}}; }

    // The message in the source language.
    std::string text() const;
};

// text with "%1" to "%9" replaced by the arguments, in one pass.
std::string fillArguments(std::string_view text, const std::vector<std::string>& args);

} // namespace kv
