#include "EchoingDialogs.h"

#include <QString>

namespace kv {

// The box's text on a line, then its reason on another.
void EchoingDialogs::echo(std::string_view text, std::string_view reason) {
    QString lines = QStringLiteral("kavendel: ") + QString::fromUtf8(text.data(), text.size()) + u'\n';
    if (!reason.empty())
        lines += QStringLiteral("kavendel: ") + QString::fromUtf8(reason.data(), reason.size()) + u'\n';
    std::fputs(lines.toLocal8Bit().constData(), m_stream);
    std::fflush(m_stream);
}

void EchoingDialogs::message(std::string_view caption, std::string_view text, Icon icon) {
    if (icon == Icon::Error)
        echo(text, {});
    m_boxes.message(caption, text, icon);
}

void EchoingDialogs::failure(std::string_view caption, std::string_view text, std::string_view reason) {
    echo(text, reason);
    m_boxes.failure(caption, text, reason);
}

bool EchoingDialogs::confirm(std::string_view caption, std::string_view text) {
    return m_boxes.confirm(caption, text);
}

} // namespace kv
