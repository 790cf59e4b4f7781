#include "Launcher.h"

#include <QProcess>

namespace kv {

void DesktopLauncher::open(const QString& address) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}

} // namespace kv
