#include "MachineRegistry.h"

#include "Dialogs.h"
#include "Guard.h"
#include "MachineFolder.h"
#include "RegistryFileStore.h"

#include <QStringList>

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
        QStringList lines;
        for (const auto& line : store->malformedLines())
            lines << QString::fromStdString(line);
        dialogs.message(ApplicationTitle, lines.join(u'\n'), Dialogs::Icon::Error);
    }
    return store;
}

} // namespace kv
