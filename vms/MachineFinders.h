// One finder per emulator, each reading that emulator's own files in the places it keeps them,
// and the search through all of them. A file that cannot be read as what it should be is passed
// over with one note naming it; nothing is written anywhere.
#pragma once

#include "SearchPlaces.h"
#include "VirtualMachine.h"

#include <vector>

namespace kv::vms {

// 86Box: every machine folder's 86box.cfg under the folder the 86Box manager keeps machines in
// (vmm_path in 86box_global.cfg, else its default), and under ~/86Box VMs, where the separate
// 86Box Manager puts them. The manager's vmm.ini gives the names the user chose.
std::vector<VirtualMachine> find86BoxMachines(const SearchPlaces& places, const Notes& notes);

// VirtualBox: the machines VirtualBox.xml registers, each from its .vbox file.
std::vector<VirtualMachine> findVirtualBoxMachines(const SearchPlaces& places, const Notes& notes);

// QEMU through libvirt: the session's domain XML files, and those of GNOME Boxes run as a Flatpak.
std::vector<VirtualMachine> findLibvirtMachines(const SearchPlaces& places, const Notes& notes);

// PCem: the machine files in its configs folder (configs_path in pcem.cfg, else ~/.pcem/configs).
std::vector<VirtualMachine> findPcemMachines(const SearchPlaces& places, const Notes& notes);

// Every emulator's machines, in the order above.
std::vector<VirtualMachine> findMachines(const SearchPlaces& places, const Notes& notes);

} // namespace kv::vms
