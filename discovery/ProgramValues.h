// The program-wide values: fixed by discovery at start-up, owned by the main window.
#pragma once

#include <string>

namespace kv {

struct ProgramValues {
    std::string driverKeyPath;       // "\SOFTWARE\ATI Technologies\Driver\0000"; sub-keys are appended
    std::string displayClassKeyPath; // empty when no display key was accepted
    int foundDisplayIndex = 0;
    int ntFlag = 0;
    int gamesPageState = 0;
};

} // namespace kv
