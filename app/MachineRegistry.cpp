#include "MachineRegistry.h"

#include "Dialogs.h"
#include "Failure.h"
#include "MachineFolder.h"
#include "RegistryFileStore.h"
#include "Translation.h"

#include <QCoreApplication>

namespace kv {

std::unique_ptr<SettingsStore> openMachineRegistry(const MachineFolder& machine, Dialogs& dialogs) {
    try {
        machine.ensureCreated();
    } catch (const std::filesystem::filesystem_error& e) {
        throw Failure(Message{"",
                              "MachineRegistry",
                              QT_TRANSLATE_NOOP("MachineRegistry", "マシンフォルダ %1 を作成できません"),
                              {machine.dir().string()}},
                      e.code());
    }
    auto store = RegistryFileStore::open(machine.registryFile());
    if (!store->malformedLines().empty()) {
        std::string lines;
        for (const auto& line : store->malformedLines()) {
            if (!lines.empty())
                lines += '\n';
            lines += shownText(line).toStdString();
        }
        dialogs.message(ApplicationTitle, lines, Dialogs::Icon::Error);
    }
    return store;
}

} // namespace kv
