#include "MessageLog.h"

#include <QFile>

namespace kv {

MessageLog::MessageLog(std::filesystem::path file)
    : m_file(std::move(file)) {
    std::filesystem::create_directories(m_file.parent_path());
    QFile(QString::fromStdString(m_file.string())).remove();
}

void MessageLog::append(const QString& caption, const QString& text) {
    QFile log(QString::fromStdString(m_file.string()));
    if (log.open(QIODevice::Append)) {
        QString flat = text;
        flat.replace(u'\n', QStringLiteral("\\n"));
        log.write((caption + u'\t' + flat + u'\n').toUtf8());
    }
}

void MessageLog::message(const QString& caption, const QString& text, Icon) {
    append(caption, text);
}

bool MessageLog::confirm(const QString& caption, const QString& text) {
    append(caption, text);
    return true;
}

} // namespace kv
