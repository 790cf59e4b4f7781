// What Kavendel says on a terminal: the command line's own texts and the errors of its jobs, in
// the interface language, and the one way they reach standard output and standard error. Texts
// are written in Japanese, the source language, and marked in the context "CommandLine".
#pragma once

#include "Failure.h"
#include "Language.h"

#include <QString>
#include <QStringList>
#include <QTranslator>

#include <exception>
#include <ostream>
#include <string_view>

namespace kv {

struct Message;

// Exit statuses: 0 done, 1 failed, 2 bad usage.
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// The texts in one language; English comes from the translation compiled into the program.
class ConsoleTexts {
public:
    explicit ConsoleTexts(Language language = Language::Japanese);
    ConsoleTexts(const ConsoleTexts&) = delete;
    ConsoleTexts& operator=(const ConsoleTexts&) = delete;

    // A text marked with QT_TRANSLATE_NOOP("CommandLine", …); "%1" to "%9" stand for args.
    QString text(const char* source, const QStringList& args = {}) const;
    // A text marked with QT_TRANSLATE_N_NOOP("CommandLine", …), "%n" standing for count.
    QString count(const char* source, long long count) const;
    QString text(const Message& message) const;
    // An error on one line, "what failed: why": translated when it is the program's own,
    // otherwise as it is.
    QString text(const std::exception& error) const;

private:
    QString translated(const char* context, const char* source, int count = -1) const;

    QTranslator m_english;
    bool m_isEnglish = false;
};

// The language the arguments name with --lang, else the configuration file's, else Japanese.
// A --lang the parser would refuse counts as none, so that its refusal is still understood.
Language consoleLanguage(const QStringList& arguments);

class Console {
public:
    Console(const ConsoleTexts& texts, std::ostream& out, std::ostream& err)
        : m_texts(texts)
        , m_out(out)
        , m_err(err) {}

    const ConsoleTexts& texts() const { return m_texts; }
    // Standard error, for a job's notes that come as lines of their own ("kavendel: …").
    std::ostream& errorStream() const { return m_err; }
    // One line of a job's result on standard output.
    void report(const QString& line) const;
    // Bytes on standard output as they are, such as a patch in CP932.
    void output(std::string_view bytes) const;
    // "kavendel: text" on standard error, for what the user should know beside the result; each
    // line of a text of several lines begins so.
    void notice(const QString& text) const;
    // Notes for a job that goes on past what it passes over: each is a notice.
    Notes notes() const;
    // As notice, for an error; returns status, the exit status it ends the run with.
    int error(const QString& text, int status) const;
    // As error, for bad usage: adds the pointer to --help and returns ExitUsage.
    int usage(const QString& text) const;

private:
    const ConsoleTexts& m_texts;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace kv
