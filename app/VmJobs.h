// --list-vms and --vm: the Windows 95/98/Me virtual machines that this computer's emulators
// define, listed for the user or a script, or one of them opened by its name.
#pragma once

#include "MachineSurvey.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace kv {

class Console;
struct FoundMachine;

// The folders to search, from this process's environment; nullopt when HOME is no absolute path.
std::optional<vms::SearchPlaces> searchPlacesOfUser();

// The Windows 95/98/Me machines the first start's dialog offers before its other choices.
std::vector<FoundMachine> machinesToOffer(const std::filesystem::path& defaultMachine,
                                          const Console& console);

// The machines that hold Windows 95/98/Me, their notes said on console.
std::vector<vms::SurveyedMachine> windowsMachines(const vms::SearchPlaces& places,
                                                  const std::filesystem::path& defaultMachine,
                                                  const Console& console);

// Prints them, one tab-separated line each under a header, or as JSON. Returns the exit status.
int listVirtualMachines(const vms::SearchPlaces& places, const std::filesystem::path& defaultMachine,
                        bool json, const Console& console);

// The disk image of the machine named name, to open as --image opens one. nullopt after saying
// why not: no such machine, its disk cannot be used, or its emulator runs it now; status is then
// the exit status.
std::optional<std::filesystem::path> diskOfVirtualMachine(const QString& name,
                                                          const vms::SearchPlaces& places,
                                                          const std::filesystem::path& defaultMachine,
                                                          const Console& console, int& status);

} // namespace kv
