#include "Language.h"

#include "UserConfig.h"

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

namespace kv {

std::optional<Language> languageNamed(QStringView code) {
    if (code == u"ja")
        return Language::Japanese;
    if (code == u"en")
        return Language::English;
    return std::nullopt;
}

std::optional<Language> configuredLanguage(const UserConfig& config) {
    std::optional<Language> language;
    for (const std::string& code : config.values("lang"))
        if (const auto named = languageNamed(QString::fromStdString(code)))
            language = named;
    return language;
}

Language chosenLanguage(std::optional<Language> fromCommandLine, const UserConfig& config) {
    if (fromCommandLine)
        return *fromCommandLine;
    return configuredLanguage(config).value_or(Language::Japanese);
}

bool installEnglish(QTranslator& translator) {
    return translator.load(QStringLiteral(":/i18n/kavendel_en.qm")) &&
           QCoreApplication::installTranslator(&translator);
}

} // namespace kv
