#include "FirstRun.h"

#include "FileBytes.h"
#include "MachineImport.h"
#include "RegistryDocument.h"
#include "UserConfig.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kv {

namespace {

bool holdsRegistry(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "registry.reg", ec);
}

// The entry of dir named name without regard to case, as Windows names SYSTEM.DAT.
std::optional<fs::path> findEntry(const fs::path& dir, std::string_view name) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (std::equal(entry.begin(), entry.end(), name.begin(), name.end(),
                       [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; }))
            return it->path();
    }
    return std::nullopt;
}

// Removes the empty registry and the empty drive C that the first start made, so that an
// import finds the folder empty. Anything else stays, and the import then refuses the folder.
void clearUntouchedMachine(const fs::path& dir) {
    std::error_code ec;
    if (!isNewMachine(dir))
        return;
    fs::remove(dir / "registry.reg", ec);
    if (fs::is_directory(dir / "drive_c", ec) && fs::is_empty(dir / "drive_c", ec))
        fs::remove(dir / "drive_c", ec);
}

fs::path importInto(const FirstRunPlaces& places, FirstRunChoice choice, const fs::path& picked) {
    if (choice == FirstRunChoice::ImportExport) {
        clearUntouchedMachine(places.defaultMachine);
        importRegistryExport(places.defaultMachine, picked, std::nullopt);
        return places.defaultMachine;
    }
    const auto system = findEntry(picked, "SYSTEM.DAT"), user = findEntry(picked, "USER.DAT");
    if (!system || !user)
        throw std::runtime_error("フォルダ " + picked.string() + " に SYSTEM.DAT と USER.DAT がありません");
    clearUntouchedMachine(places.defaultMachine);
    importHives(places.defaultMachine, *system, *user, std::nullopt);
    return places.defaultMachine;
}

} // namespace

bool isNewMachine(const fs::path& dir) {
    std::optional<std::string> bytes;
    try {
        bytes = readIfPresent(dir / "registry.reg");
        if (!bytes)
            return true;
        return RegistryDocument::parse(*bytes).tree().childCount() == 0;
    } catch (const std::exception&) {
        return false; // not ours to replace: the window names the file and the reason
    }
}

fs::path machineToOpen(const UserConfig& config, const fs::path& defaultMachine) {
    const auto remembered = config.value("machine");
    if (remembered && !remembered->empty() && holdsRegistry(*remembered))
        return fs::path(*remembered);
    return defaultMachine;
}

void rememberMachine(const UserConfig& config, const fs::path& dir) {
    config.setValue("machine", fs::absolute(dir).string());
}

fs::path carryOutFirstRunChoice(FirstRunChoice choice, const fs::path& picked, const FirstRunPlaces& places) {
    switch (choice) {
    case FirstRunChoice::OpenFolder:
        if (!holdsRegistry(picked))
            throw std::runtime_error("フォルダ " + picked.string() +
                                     " はマシンフォルダではありません (registry.reg がありません)");
        return picked;
    case FirstRunChoice::ImportExport:
    case FirstRunChoice::ImportHives:
        try {
            return importInto(places, choice, picked);
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(std::string("読み込めません: ") + e.what());
        }
    case FirstRunChoice::TryDemo:
        if (!holdsRegistry(places.demoCopy))
            fs::copy(places.demoSource, places.demoCopy, fs::copy_options::recursive);
        return places.demoCopy;
    }
    return places.defaultMachine;
}

} // namespace kv
