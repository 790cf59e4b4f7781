#include "Translation.h"

#include <QCoreApplication>

#include <string>

namespace kv {

QString translated(const char* context, std::string_view text) {
    return QCoreApplication::translate(context, std::string(text).c_str());
}

QString shownText(const Message& message) {
    const QByteArray text = QCoreApplication::translate(message.context, message.source).toUtf8();
    return QString::fromStdString(message.lead + fillArguments(text.toStdString(), message.args));
}

QString shownText(const std::exception& error) {
    if (const auto* ours = dynamic_cast<const TranslatableError*>(&error))
        return shownText(ours->message());
    return QString::fromUtf8(error.what());
}

} // namespace kv
