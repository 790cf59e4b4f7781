// The machines found on this computer, each with what its disks hold: which disk Windows
// 95/98/Me starts from, whether its emulator runs it now, and whether Kavendel has a machine
// folder for it already. This is what --list-vms shows and --vm opens.
#pragma once

#include "DiskProbe.h"
#include "SearchPlaces.h"
#include "VirtualMachine.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace kv::vms {

struct SurveyedMachine {
    VirtualMachine machine;
    std::filesystem::path disk; // the disk Windows starts from, when one was found
    std::optional<WindowsDisk> windows;
    // Why no disk of the machine could be looked into: a differencing disk qemu cannot open,
    // say. Missing and unreadable disks are told as notes and leave this empty.
    std::optional<Message> problem;
    // The emulator has the disk open now: another process holds the image open, or holds
    // QEMU's locks on it.
    bool running = false;
    std::optional<std::filesystem::path> machineFolder; // Kavendel's, when there is one
};

// Looks into every machine's disks in its emulator's order and keeps the first that holds
// Windows 95/98/Me. imagesFolder is where Kavendel keeps the machine folders of images.
std::vector<SurveyedMachine> surveyMachines(const SearchPlaces& places,
                                            const std::filesystem::path& imagesFolder, const Notes& notes);

// The sentence that refuses to open a machine its emulator runs: "Shut down 'X' in 86Box first".
Message shutDownFirst(const VirtualMachine& machine);

} // namespace kv::vms
