// What a virtual machine's disk holds, told from as little of it as can tell: the partition
// table, the boot sector, MSDOS.SYS, and the registry's SYSTEM.DAT, where Windows names its
// version and the display driver has its keys. Nothing is written.
#pragma once

#include "Failure.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kv::vms {

struct WindowsDisk {
    std::string format;        // as qemu-img names it: "raw", "vpc", "qcow2", "vdi"
    int partition = 0;         // 1-4, or 0 for a bare volume
    std::string versionNumber; // "4.10.2222", as the registry has it
    // The display driver's description when discovery finds the Radeon driver installed (UTF-8).
    std::optional<std::string> radeonDriver;
};

// "Windows 98 SE" for a VersionNumber such as "4.10.2222"; empty for one outside 95, 98 and Me.
std::string windowsName(std::string_view versionNumber);

// A differencing image that only its emulator reads with its parents (VDI's and VHD's own
// snapshot overlays: qemu cannot open them with their parents), told by its header.
bool isForeignDifferencingImage(const std::filesystem::path& image);

// The Windows 95/98/Me on the disk, or nothing when the disk holds none (no FAT partition, no
// registry, a registry of another Windows); a disk whose partition table or format cannot be
// read counts as one of those. Throws a Failure when a FAT volume is there but what Windows keeps
// on it cannot be read.
std::optional<WindowsDisk> probeWindowsDisk(const std::filesystem::path& image);

} // namespace kv::vms
