#include "EchoingDialogs.h"

namespace kv {

void EchoingDialogs::message(const QString& caption, const QString& text, Icon icon) {
    if (icon == Icon::Error) {
        std::fputs(("kavendel: " + text + u'\n').toLocal8Bit().constData(), m_stream);
        std::fflush(m_stream);
    }
    m_boxes.message(caption, text, icon);
}

bool EchoingDialogs::confirm(const QString& caption, const QString& text) {
    return m_boxes.confirm(caption, text);
}

} // namespace kv
