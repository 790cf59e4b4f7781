// Test doubles for the platform seams: scripted dialogs, a hand-driven clock, a fixed OS
// version, a recording launcher and a simple fixed processor.
#pragma once

#include "CpuInstructions.h"
#include "Dialogs.h"
#include "Launcher.h"
#include "MillisecondClock.h"
#include "OsVersion.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace kv::test {

class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString caption;
        QString text;
        Icon icon;
        bool confirm;
    };
    void message(const QString& caption, const QString& text, Icon icon) override {
        shown.push_back({caption, text, icon, false});
        if (onMessage)
            onMessage();
    }
    bool confirm(const QString& caption, const QString& text) override {
        shown.push_back({caption, text, Icon::None, true});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // The texts of every box shown so far.
    QStringList texts() const {
        QStringList out;
        for (const auto& s : shown)
            out << s.text;
        return out;
    }

    std::vector<Shown> shown;
    std::deque<bool> answers;        // for confirm(); Cancel once they run out
    std::function<void()> onMessage; // runs while a message box is up
};

class ManualClock final : public MillisecondClock {
public:
    std::uint32_t now() override { return time += step; }
    std::uint32_t time = 0;
    std::uint32_t step = 0; // added on every reading
};

class FixedOsVersion final : public OsVersionQuery {
public:
    std::optional<OsVersion> query() override { return version; }
    std::optional<OsVersion> version = OsVersion{OsVersion::Windows9x, 4, 10};
};

class RecordingLauncher final : public Launcher {
public:
    void open(const QString& address) override { opened << address; }
    QStringList opened;
};

// A processor without CPUID and with a counter that moves by a fixed step.
class PlainCpu final : public CpuInstructions {
public:
    bool idBitToggles() override { return false; }
    CpuidResult cpuid(std::uint32_t) override { return {}; }
    std::uint64_t rdtsc() override { return counter += step; }
    std::uint64_t counter = 0;
    std::uint64_t step = 1000;
};

} // namespace kv::test
