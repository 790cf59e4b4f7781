// The one guard every event handler runs in: an error ends the handler and is shown in the
// error box titled "ATI Kavendel"; no exception ever crosses a Qt frame.
#pragma once

#include <QString>

#include <functional>

namespace kv {

class Dialogs;

inline const QString ApplicationTitle = QStringLiteral("ATI Kavendel");

// The error box's text: "." is appended when the message's last character sorts after ".".
QString errorBoxText(const QString& message);

// Runs handler; an error it raises is shown in the error box.
void runGuarded(Dialogs& dialogs, const std::function<void()>& handler);

} // namespace kv
