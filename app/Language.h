// The interface language: Japanese, the language the program's texts are written in, or
// English from the translation compiled into the program. The command line's --lang wins over
// "lang=" in $XDG_CONFIG_HOME/kavendel/kavendel.conf; without either the window is Japanese.
#pragma once

#include <QStringView>

#include <filesystem>
#include <optional>

class QTranslator;

namespace kv {

enum class Language { Japanese, English };

// "ja" or "en"; nothing for any other code.
std::optional<Language> languageNamed(QStringView code);

// $XDG_CONFIG_HOME/kavendel/kavendel.conf, by default under ~/.config.
std::filesystem::path configFile();

// The language that the file's "lang=" line names. A missing file, a missing line and an
// unknown code all give nothing.
std::optional<Language> configuredLanguage(const std::filesystem::path& file);

Language chosenLanguage(std::optional<Language> fromCommandLine, const std::filesystem::path& configFile);

// Loads the English translation into translator and installs it in the application.
bool installEnglish(QTranslator& translator);

} // namespace kv
