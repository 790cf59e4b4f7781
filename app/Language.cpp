#include "Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTranslator>

#include <cstdlib>

namespace kv {

namespace fs = std::filesystem;

std::optional<Language> languageNamed(QStringView code) {
    if (code == u"ja")
        return Language::Japanese;
    if (code == u"en")
        return Language::English;
    return std::nullopt;
}

fs::path configFile() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / "kavendel" / "kavendel.conf";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : ".") / ".config" / "kavendel" / "kavendel.conf";
}

std::optional<Language> configuredLanguage(const fs::path& file) {
    QFile conf(QString::fromStdString(file.string()));
    if (!conf.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    std::optional<Language> language;
    while (!conf.atEnd()) {
        const QString line = QString::fromUtf8(conf.readLine()).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || QStringView(line).left(equals).trimmed() != u"lang")
            continue;
        if (const auto named = languageNamed(QStringView(line).mid(equals + 1).trimmed()))
            language = named;
    }
    return language;
}

Language chosenLanguage(std::optional<Language> fromCommandLine, const fs::path& configFile) {
    if (fromCommandLine)
        return *fromCommandLine;
    return configuredLanguage(configFile).value_or(Language::Japanese);
}

bool installEnglish(QTranslator& translator) {
    return translator.load(QStringLiteral(":/i18n/kavendel_en.qm")) &&
           QCoreApplication::installTranslator(&translator);
}

} // namespace kv
