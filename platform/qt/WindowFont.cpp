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
    // Where it is missing, the window's font is asked for as the first installed Gothic alone.
    // A missing family, or a list of several, makes Qt search every installed font for
    // fallbacks, script by script, before the first paint; with one family it searches only
    // when a character is missing from it.
    if (!installed.contains(windowFamily) && !gothics.isEmpty())
        font.setFamilies({gothics.constFirst()});
    font.setPixelSize(12);
    // Unhinted: at 12 pixels the hinted Japanese glyphs look the same, and hinting them cost
    // about a tenth of the window's start-up.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
}

} // namespace kv
