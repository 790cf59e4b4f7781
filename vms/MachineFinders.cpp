// The search through every emulator's files.
#include "MachineFinders.h"

namespace kv::vms {

const char* emulatorName(Emulator emulator) {
    switch (emulator) {
    case Emulator::Box86:
        return "86Box";
    case Emulator::VirtualBox:
        return "VirtualBox";
    case Emulator::Libvirt:
        return "QEMU (libvirt)";
    case Emulator::GnomeBoxes:
        return "GNOME Boxes";
    case Emulator::PCem:
        return "PCem";
    }
    return "";
}

std::vector<VirtualMachine> findMachines(const SearchPlaces& places, const Notes& notes) {
    std::vector<VirtualMachine> machines;
    for (const auto finder :
         {find86BoxMachines, findVirtualBoxMachines, findLibvirtMachines, findPcemMachines}) {
        std::vector<VirtualMachine> found = finder(places, notes);
        machines.insert(machines.end(), std::make_move_iterator(found.begin()),
                        std::make_move_iterator(found.end()));
    }
    return machines;
}

} // namespace kv::vms
