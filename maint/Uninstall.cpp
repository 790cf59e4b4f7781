#include "Uninstall.h"

#include "Dialogs.h"
#include "MachineFolder.h"
#include "ProgramValues.h"
#include "Services.h"
#include "SettingsAccessor.h"

#include <QCoreApplication>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace kv {

namespace {

constexpr std::string_view DriverRootKey = "\\SOFTWARE\\ATI Technologies";
constexpr std::string_view WindowsVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// A file without any write permission stands for a read-only file, which DeleteFile refuses.
// A link counts by what it points at.
bool isReadOnly(const fs::path& file) {
    std::error_code ec;
    const fs::perms perms = fs::status(file, ec).permissions();
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return !ec && (perms & anyWrite) == fs::perms::none;
}

// Deletes a file, or a link in the link's place, as DeleteFile would; folders, read-only files
// and anything else are left alone, and so is every failure to delete. What the machine's
// change observer throws stops the uninstall.
void deleteQuietly(const MachineFolder& machine, const std::string& windowsPath) {
    const auto host = machine.resolve(windowsPath);
    if (!host)
        return; // would leave the machine folder
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(*host, ec);
    if (!ec && (fs::is_regular_file(status) || fs::is_symlink(status)) && !isReadOnly(*host)) {
        machine.beforeChange(*host);
        fs::remove(*host, ec);
    }
}

} // namespace

void removeDriverTraces(SettingsStore& store, const MachineFolder& machine,
                        std::string_view displayClassKeyPath) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.RemovePath(DriverRootKey);
    if (!displayClassKeyPath.empty())
        reg.RemovePath(displayClassKeyPath);
    if (!reg.OpenPathForReading(WindowsVersionKey))
        return;
    const std::string systemRoot = reg.LoadText("SystemRoot");
    for (std::string_view file : DriverInfFiles)
        deleteQuietly(machine, systemRoot + std::string(file));
}

void uninstallDriver(const Services& services, const ProgramValues& values) {
    if (!services.dialogs.confirm(
            QCoreApplication::translate("Uninstall", "どうする？"),
            QCoreApplication::translate("Uninstall", "ドライバをアンインストールしますか？")))
        return;
    removeDriverTraces(services.store, services.machine, values.displayClassKeyPath);
}

} // namespace kv
