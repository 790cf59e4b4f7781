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
    QFont::insertSubstitutions(QString::fromUtf8(WindowFontFamily), gothics);
    QFont font(QString::fromUtf8(WindowFontFamily));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

} // namespace kv
