// A launcher double that records the addresses it was asked to open.
#pragma once

#include "Launcher.h"

#include <QStringList>

namespace kv::test {

class RecordingLauncher final : public Launcher {
public:
    void open(const QString& address) override { opened << address; }
    QStringList opened;
};

} // namespace kv::test
