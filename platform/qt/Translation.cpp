#include "Translation.h"

#include "Failure.h"

#include <QCoreApplication>

#include <string>

namespace kv {

namespace {

void append(QString& text, const QString& part) {
    if (part.isEmpty())
        return;
    if (!text.isEmpty())
        text += QStringLiteral(": ");
    text += part;
}

} // namespace

QString translated(const char* context, std::string_view text) {
    return QCoreApplication::translate(context, std::string(text).c_str());
}

QString shownText(const Message& message) {
    const QByteArray text = QCoreApplication::translate(message.context, message.source).toUtf8();
    return QString::fromStdString(message.lead + fillArguments(text.toStdString(), message.args));
}

QString ShownFailure::joined() const {
    QString line = text;
    append(line, reason);
    return line;
}

ShownFailure shownFailure(const std::exception& error, const MessageShower& show) {
    const auto* failure = dynamic_cast<const Failure*>(&error);
    if (!failure)
        return {QString::fromUtf8(error.what()), {}};
    ShownFailure shown{show(failure->message()), {}};
    for (std::size_t i = 1; i < failure->messages().size(); ++i)
        append(shown.reason, show(failure->messages()[i]));
    append(shown.reason, QString::fromLocal8Bit(failure->systemWords().c_str()));
    return shown;
}

ShownFailure shownFailure(const std::exception& error) {
    return shownFailure(error, [](const Message& message) { return shownText(message); });
}

QString shownText(const std::exception& error) {
    return shownFailure(error).joined();
}

} // namespace kv
