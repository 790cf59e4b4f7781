// PCem's machines: one configuration file each in its configs folder, named for the machine.
#include "MachineFinders.h"

#include "ConfigFile.h"

#include <algorithm>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

// The IDE channels' disks, first to seventh, as PCem names them.
constexpr const char* DiskKeys[] = {"hdc_fn", "hdd_fn", "hde_fn", "hdf_fn", "hdg_fn", "hdh_fn", "hdi_fn"};

fs::path configsFolder(const SearchPlaces& places, const Notes& notes) {
    const fs::path pcemFolder = places.home / ".pcem";
    const auto global = readIniFile(pcemFolder / "pcem.cfg", notes);
    const auto configured = global ? global->value("Paths", "configs_path") : std::nullopt;
    return configured && !configured->empty() ? resolvedAgainst(pcemFolder, *configured)
                                              : pcemFolder / "configs";
}

VirtualMachine readMachine(const fs::path& file, const IniFile& config) {
    VirtualMachine machine{Emulator::PCem, file.stem().string(), file, {}};
    for (const char* key : DiskKeys)
        if (const auto value = config.value("", key); value && !value->empty())
            machine.disks.push_back({resolvedAgainst(file.parent_path(), *value), false});
    return machine;
}

} // namespace

std::vector<VirtualMachine> findPcemMachines(const SearchPlaces& places, const Notes& notes) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(configsFolder(places, notes), ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".cfg")
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::vector<VirtualMachine> machines;
    for (const fs::path& file : files)
        if (const auto config = readIniFile(file, notes))
            machines.push_back(readMachine(file, *config));
    return machines;
}

} // namespace kv::vms
