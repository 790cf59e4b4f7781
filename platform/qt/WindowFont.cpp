#include "WindowFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kv {

namespace {

constexpr const char* WindowFontFamily = "ＭＳ Ｐゴシック";

} // namespace

void installWindowFont() {
    const QStringList installed = QFontDatabase::families();
    QStringList gothics;
    for (const char* family : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "Noto Sans JP"})
        if (installed.contains(QString::fromLatin1(family)))
            gothics << QString::fromLatin1(family);
    const QString windowFamily = QString::fromUtf8(WindowFontFamily);
    QFont::insertSubstitutions(windowFamily, gothics);
    QFont font(windowFamily);
    // Asked for by name where it is missing, the family costs a search of every installed
    // font for fallbacks, script by script, before its substitutes are tried.
    if (!installed.contains(windowFamily) && !gothics.isEmpty())
        font.setFamilies(gothics);
    font.setPixelSize(12);
    // Unhinted: at 12 pixels the hinted Japanese glyphs look the same, and hinting them cost
    // about a tenth of the window's start-up.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
}

} // namespace kv
