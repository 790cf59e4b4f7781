// 86Box's machines: its manager's folder of machine folders, each with an 86box.cfg.
#include "MachineFinders.h"

#include "ConfigFile.h"

#include <QString>
#include <QUuid>

#include <algorithm>
#include <set>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

// Machine folders lie directly in the manager's folder, or in folders of the user's below it.
constexpr int MaxFolderDepth = 3;
constexpr std::string_view MachineFile = "86box.cfg";

// The manager's folder as 86Box's global configuration names it, else its default.
std::vector<fs::path> machineRoots(const SearchPlaces& places, const std::optional<IniFile>& global) {
    std::optional<std::string> configured;
    if (global)
        configured =
            global->value("Emulator", "vmm_path").value_or(global->value("", "vmm_path").value_or(""));
    fs::path managed = configured && !configured->empty() ? resolvedAgainst(places.home, *configured)
                                                          : places.dataHome / "86Box" / "Virtual Machines";
    return {managed, places.home / "86Box VMs"};
}

bool isMachineFile(const fs::directory_entry& entry) {
    std::string name = entry.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name == MachineFile && isRegularFile(entry.path());
}

// The 86box.cfg files below root, not root's own (which 86Box's manager also leaves out).
std::vector<fs::path> machineFiles(const fs::path& root) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (it.depth() >= MaxFolderDepth)
            it.disable_recursion_pending();
        if (it.depth() > 0 && isMachineFile(*it))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The manager keys a machine by a name-based UUID of its folder's canonical path.
std::string managerKey(const fs::path& folder) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(folder, ec);
    const QString dir = QString::fromStdString((ec ? folder : canonical).string()) + u'/';
    return QUuid::createUuidV5(QUuid(), dir).toString(QUuid::WithoutBraces).toStdString();
}

std::string displayName(const fs::path& folder, const std::optional<IniFile>& manager) {
    std::string name = manager ? manager->value(managerKey(folder), "display_name").value_or("") : "";
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name.empty() ? folder.filename().string() : name;
}

// A disk's path as 86Box keeps it: "wp://" marks it write-protected; a host drive or a path
// inside the emulator's own folder is not an image Kavendel can find.
std::optional<fs::path> diskPath(const fs::path& folder, std::string value) {
    if (value.starts_with("wp://"))
        value.erase(0, 5);
    if (value.empty() || value.starts_with("ioctl://") || value.starts_with("<exe_path>"))
        return std::nullopt;
    return resolvedAgainst(folder, value);
}

VirtualMachine readMachine(const fs::path& file, const IniFile& config,
                           const std::optional<IniFile>& manager) {
    const fs::path folder = file.parent_path();
    VirtualMachine machine{Emulator::Box86, displayName(folder, manager), file, {}};
    // hdd_01_fn ... in number order; the map's name order is that order for two digits.
    for (const auto& [key, value] : config.section("Hard disks"))
        if (key.starts_with("hdd_") && key.ends_with("_fn"))
            if (const auto path = diskPath(folder, value))
                machine.disks.push_back({*path, false});
    return machine;
}

} // namespace

std::vector<VirtualMachine> find86BoxMachines(const SearchPlaces& places, const Notes& notes) {
    const fs::path configFolder = places.configHome / "86Box";
    const auto global = readIniFile(configFolder / "86box_global.cfg", notes);
    const auto manager = readIniFile(configFolder / "vmm.ini", notes);
    std::vector<VirtualMachine> machines;
    std::set<fs::path> seen;
    for (const fs::path& root : machineRoots(places, global))
        for (const fs::path& file : machineFiles(root)) {
            std::error_code ec;
            if (!seen.insert(fs::canonical(file, ec)).second)
                continue;
            if (const auto config = readIniFile(file, notes))
                machines.push_back(readMachine(file, *config, manager));
        }
    return machines;
}

} // namespace kv::vms
