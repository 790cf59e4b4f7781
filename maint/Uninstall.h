// The driver uninstall: removes the display driver's settings keys and the setup information
// files its installer left in the system's INF folder.
#pragma once

#include <array>
#include <string_view>

namespace kv {

class MachineFolder;
class SettingsStore;
struct ProgramValues;
struct Services;

// The installer's files, each appended to the system folder ("SystemRoot"), in the order they go.
inline constexpr std::array<std::string_view, 8> DriverInfFiles = {
    "\\INF\\ATI_9XAA.INF", "\\INF\\ATI_9XAE.INF", "\\INF\\ATITUNEP.INF", "\\INF\\ATITVSND.INF",
    "\\INF\\ATIVIDIN.INF", "\\INF\\ATIVMDXX.INF", "\\INF\\ATIVMVXX.INF", "\\INF\\ATIXBAR.INF",
};

// Removes "\SOFTWARE\ATI Technologies", then the display class key (when not empty), then the
// INF files. Keys and files that are missing or cannot be removed, read-only files among them,
// are passed over. Files are
// deleted only inside the machine folder, whatever "SystemRoot" holds.
void removeDriverTraces(SettingsStore& store, const MachineFolder& machine,
                        std::string_view displayClassKeyPath);

// The uninstall button's action: asks first, and removes only on OK. Shows nothing afterwards.
void uninstallDriver(const Services& services, const ProgramValues& values);

} // namespace kv
