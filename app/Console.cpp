#include "Console.h"

#include "Message.h"
#include "Translation.h"
#include "UserConfig.h"

#include <QByteArray>

namespace kv {

ConsoleTexts::ConsoleTexts(Language language) {
    m_isEnglish = language == Language::English && m_english.load(QStringLiteral(":/i18n/kavendel_en.qm"));
}

QString ConsoleTexts::translated(const char* context, const char* source, int count) const {
    if (m_isEnglish) {
        const QString english = m_english.translate(context, source, nullptr, count);
        if (!english.isEmpty())
            return english;
    }
    return QString::fromUtf8(source);
}

QString ConsoleTexts::text(const char* source, const QStringList& args) const {
    QString shown = translated("CommandLine", source);
    // One pass, so that an argument holding "%2" is never taken for a placeholder.
    std::vector<std::string> values;
    for (const QString& arg : args)
        values.push_back(arg.toStdString());
    return QString::fromStdString(fillArguments(shown.toStdString(), values));
}

QString ConsoleTexts::count(const char* source, long long count) const {
    return translated("CommandLine", source, static_cast<int>(count))
        .replace(QStringLiteral("%n"), QString::number(count));
}

QString ConsoleTexts::text(const Message& message) const {
    const QByteArray shown = translated(message.context, message.source).toUtf8();
    return QString::fromStdString(message.lead + fillArguments(shown.toStdString(), message.args));
}

QString ConsoleTexts::text(const std::exception& error) const {
    return shownFailure(error, [this](const Message& message) { return text(message); }).joined();
}

Language consoleLanguage(const QStringList& arguments) {
    std::optional<Language> named;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1String("--lang=")))
            named = languageNamed(arguments[i].mid(7));
        else if (arguments[i] == QLatin1String("--lang") && i + 1 < arguments.size())
            named = languageNamed(arguments[i + 1]);
    }
    return chosenLanguage(named, UserConfig(UserConfig::defaultFile()));
}

void Console::report(const QString& line) const {
    m_out << line.toLocal8Bit().constData() << '\n';
    m_out.flush();
}

void Console::output(std::string_view bytes) const {
    m_out << bytes;
    m_out.flush();
}

// Every line its own prefix, so that a script or a user reading a log can tell whose it is.
void Console::notice(const QString& text) const {
    for (const QString& line : text.split(u'\n'))
        m_err << "kavendel: " << line.toLocal8Bit().constData() << '\n';
    m_err.flush();
}

Notes Console::notes() const {
    return [this](const Failure& note) { notice(m_texts.text(note)); };
}

int Console::error(const QString& text, int status) const {
    notice(text);
    return status;
}

int Console::usage(const QString& text) const {
    return error(
        text + u'\n' +
            m_texts.text(QT_TRANSLATE_NOOP("CommandLine", "使い方は 'kavendel --help' で表示されます。")),
        ExitUsage);
}

} // namespace kv
