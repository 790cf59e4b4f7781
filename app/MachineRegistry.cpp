#include "MachineRegistry.h"

#include "Dialogs.h"
#include "MachineFolder.h"
#include "RegistryFileStore.h"

#include <stdexcept>

namespace kv {

std::unique_ptr<SettingsStore> openMachineRegistry(const MachineFolder& machine, Dialogs& dialogs) {
    try {
        machine.ensureCreated();
    } catch (const std::filesystem::filesystem_error& e) {
        throw std::runtime_error("マシンフォルダ " + machine.dir().string() +
                                 " を作成できません: " + e.code().message());
    }
    auto store = RegistryFileStore::open(machine.registryFile());
    if (!store->malformedLines().empty()) {
        std::string lines;
        for (const auto& line : store->malformedLines())
            lines += (lines.empty() ? "" : "\n") + line;
        dialogs.message(ApplicationTitle, lines, Dialogs::Icon::Error);
    }
    return store;
}

} // namespace kv
