// Test doubles for the seams that need no Qt: scripted dialogs, a hand-driven clock, a fixed OS
// version and a simple fixed processor.
#pragma once

#include "CpuInstructions.h"
#include "Dialogs.h"
#include "MillisecondClock.h"
#include "OsVersion.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kv::test {

class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        std::string caption;
        std::string text;
        Icon icon;
        bool confirm;
        std::string reason; // under a failure's text
    };
    void message(std::string_view caption, std::string_view text, Icon icon) override {
        shown.push_back({std::string(caption), std::string(text), icon, false, {}});
        if (onMessage)
            onMessage();
    }
    void failure(std::string_view caption, std::string_view text, std::string_view reason) override {
        shown.push_back({std::string(caption), std::string(text), Icon::Error, false, std::string(reason)});
        if (onMessage)
            onMessage();
    }
    bool confirm(std::string_view caption, std::string_view text) override {
        shown.push_back({std::string(caption), std::string(text), Icon::None, true, {}});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // The texts of every box shown so far.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& s : shown)
            out.push_back(s.text);
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
