#include "EchoingDialogs.h"

#include <QString>

namespace kv {

void EchoingDialogs::message(std::string_view caption, std::string_view text, Icon icon) {
    if (icon == Icon::Error) {
        const QString line =
            QStringLiteral("kavendel: ") + QString::fromUtf8(text.data(), text.size()) + u'\n';
        std::fputs(line.toLocal8Bit().constData(), m_stream);
        std::fflush(m_stream);
    }
    m_boxes.message(caption, text, icon);
}

bool EchoingDialogs::confirm(std::string_view caption, std::string_view text) {
    return m_boxes.confirm(caption, text);
}

} // namespace kv
