// Launcher: opens a web or mailto address with the desktop's handler. The result is ignored.
#pragma once

#include <QString>

namespace kv {

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual void open(const QString& address) = 0;
};

// Starts xdg-open with the address as its one argument; no shell is involved.
class DesktopLauncher final : public Launcher {
public:
    void open(const QString& address) override;
};

} // namespace kv
