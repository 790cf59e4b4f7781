#include "FirstRun.h"

#include "Failure.h"
#include "FileBytes.h"
#include "MachineFolder.h"
#include "MachineImport.h"
#include "MachineJobs.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "Translation.h"
#include "UserConfig.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace fs = std::filesystem;

namespace kv {

namespace {

// A message about the folder, which stands for %1.
Failure folderError(const char* text, const fs::path& folder) {
    return Failure(Message{"", "FirstRun", text, {folder.string()}});
}

bool holdsRegistry(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(MachineFolder::registryFileIn(dir), ec);
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

// Removes what starts leave in a machine folder nobody chose yet (the registry with the driver's
// empty keys, its lock file, an empty drive C), so that an import finds the folder empty.
// Anything else stays.
void clearUntouchedMachine(const fs::path& dir) {
    std::error_code ec;
    if (!isNewMachine(dir))
        return;
    const fs::path registry = MachineFolder::registryFileIn(dir);
    fs::remove(registry, ec);
    fs::remove(fs::path(registry).concat(".lock"), ec);
    const fs::path driveC = MachineFolder::driveCIn(dir);
    if (fs::is_directory(driveC, ec) && fs::is_empty(driveC, ec))
        fs::remove(driveC, ec);
}

bool isEmptyOrMissing(const fs::path& dir) {
    std::error_code ec;
    return !fs::exists(dir, ec) || (fs::is_directory(dir, ec) && fs::is_empty(dir, ec));
}

// The default machine folder once cleared, or, when it holds a machine already, the first of
// "machine-2", "machine-3"... beside it that does not exist yet: an import never fails for
// want of a folder.
fs::path importDestination(const fs::path& defaultMachine) {
    clearUntouchedMachine(defaultMachine);
    fs::path destination = defaultMachine;
    for (int n = 2; !isEmptyOrMissing(destination); ++n)
        destination = fs::path(defaultMachine).concat("-" + std::to_string(n));
    return destination;
}

// A copy cut short is removed again, so that the next try starts afresh.
void copyDemo(const FirstRunPlaces& places) {
    std::error_code ec;
    const bool existed = fs::exists(places.demoCopy, ec);
    try {
        fs::create_directories(places.demoCopy.parent_path());
        fs::copy(places.demoSource, places.demoCopy, fs::copy_options::recursive);
    } catch (const fs::filesystem_error& e) {
        if (!existed)
            fs::remove_all(places.demoCopy, ec);
        throw Failure(Message{"",
                              "FirstRun",
                              QT_TRANSLATE_NOOP("FirstRun", "デモマシンを %1 にコピーできません"),
                              {places.demoCopy.string()}},
                      e.code());
    }
}

fs::path importInto(const FirstRunPlaces& places, FirstRunChoice choice, const fs::path& picked) {
    if (choice == FirstRunChoice::ImportExport) {
        const fs::path destination = importDestination(places.defaultMachine);
        importRegistryExport(destination, picked, std::nullopt);
        return destination;
    }
    const auto system = findEntry(picked, "SYSTEM.DAT"), user = findEntry(picked, "USER.DAT");
    if (!system || !user)
        throw folderError(QT_TRANSLATE_NOOP("FirstRun", "フォルダ %1 に SYSTEM.DAT と USER.DAT がありません"),
                          picked);
    const fs::path destination = importDestination(places.defaultMachine);
    // The window has no place for the rules a file breaks: a write-back into it names them.
    static_cast<void>(importHives(destination, *system, *user, std::nullopt));
    return destination;
}

} // namespace

bool isNewMachine(const fs::path& dir) {
    std::optional<std::string> bytes;
    try {
        bytes = readIfPresent(MachineFolder::registryFileIn(dir));
        if (!bytes)
            return true;
        return !holdsAValue(RegistryDocument::parse(*bytes).tree());
    } catch (const std::exception&) {
        return false; // not ours to replace: the window names the file and the reason
    }
}

std::optional<fs::path> rememberedMachine(const UserConfig& config) {
    const auto remembered = config.value("machine");
    if (remembered && !remembered->empty() && holdsRegistry(*remembered))
        return fs::path(*remembered);
    return std::nullopt;
}

void rememberMachine(const UserConfig& config, const fs::path& dir) {
    config.setValue("machine", fs::absolute(dir).string());
}

fs::path carryOutFirstRunChoice(FirstRunChoice choice, const fs::path& picked, const FirstRunPlaces& places) {
    switch (choice) {
    case FirstRunChoice::OpenFolder:
        if (!holdsRegistry(picked))
            throw folderError(
                QT_TRANSLATE_NOOP("FirstRun",
                                  "フォルダ %1 はマシンフォルダではありません (registry.reg がありません)"),
                picked);
        return picked;
    case FirstRunChoice::ImportExport:
    case FirstRunChoice::ImportHives:
        return importInto(places, choice, picked);
    case FirstRunChoice::OpenMachine:
    case FirstRunChoice::OpenImage:
        // The files passed over go where --image tells them: the window has no place for them.
        return imageMachineFolder(picked, places.defaultMachine, [](const Failure& note) {
            std::cerr << "kavendel: " << shownText(note).toLocal8Bit().constData() << '\n';
        });
    case FirstRunChoice::TryDemo:
        if (!holdsRegistry(places.demoCopy))
            copyDemo(places);
        return places.demoCopy;
    }
    return places.defaultMachine;
}

} // namespace kv
