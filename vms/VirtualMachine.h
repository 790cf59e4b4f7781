// A virtual machine as its emulator's own configuration names it: which emulator, the name the
// user knows it by, and the disk images it is attached to. Nothing here has opened a disk.
#pragma once

#include "Failure.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kv::vms {

enum class Emulator { Box86, VirtualBox, Libvirt, GnomeBoxes, PCem };

// The emulator's name as its users know it.
const char* emulatorName(Emulator emulator);

// One hard disk the machine runs on, its path made absolute from the configuration's folder.
struct AttachedDisk {
    std::filesystem::path image;
    // A snapshot's overlay, which the emulator reads together with the disks below it.
    bool differencing = false;
};

struct VirtualMachine {
    Emulator emulator = Emulator::Box86;
    std::string name; // UTF-8
    std::filesystem::path configuration;
    std::vector<AttachedDisk> disks; // in the emulator's order: the first is the boot disk
};

// A text of the machine-finding code for the user, marked QT_TRANSLATE_NOOP("VirtualMachines", ...).
inline Message vmText(const char* source, std::vector<std::string> args) {
    return Message{{}, "VirtualMachines", source, std::move(args)};
}

} // namespace kv::vms
