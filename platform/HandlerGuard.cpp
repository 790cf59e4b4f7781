#include "HandlerGuard.h"

#include "Dialogs.h"
#include "Translation.h"

#include <QCoreApplication>

#include <exception>

namespace kv {

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

void runGuarded(Dialogs& dialogs, const std::function<void()>& handler) {
    QString message;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        message = shownText(e);
    } catch (...) {
        message = QCoreApplication::translate("HandlerGuard", "不明なエラーが発生しました");
    }
    dialogs.message(ApplicationTitle, errorBoxText(message), Dialogs::Icon::Error);
}

} // namespace kv
