// The seams a page works through, handed down from start-up.
#pragma once

namespace kv {

class CpuInstructions;
class Dialogs;
class Launcher;
class MachineFolder;
class MillisecondClock;
class OsVersionQuery;
class SettingsStore;

struct Services {
    SettingsStore& store;
    Dialogs& dialogs;
    const MachineFolder& machine;
    OsVersionQuery& osVersion;
    MillisecondClock& clock;
    CpuInstructions& cpu;
    Launcher& launcher;
};

} // namespace kv
