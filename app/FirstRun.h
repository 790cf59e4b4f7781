// The first start on a new default machine folder: rather than an empty machine whose every
// field reads "不明", the user opens a machine folder, imports a Windows 98 registry, opens a
// disk image holding Windows 98, or tries a copy of the demo machine. This is the part without widgets: what
// each choice does.
#pragma once

#include <filesystem>
#include <optional>

namespace kv {

class UserConfig;

enum class FirstRunChoice { OpenMachine, OpenFolder, ImportExport, ImportHives, OpenImage, TryDemo };

struct FirstRunPlaces {
    std::filesystem::path defaultMachine; // where imports go
    std::filesystem::path demoSource;     // the installed demo machine
    std::filesystem::path demoCopy;       // the user's copy of it
};

// True when dir holds no registry.reg, or one without a single value: starts create the
// driver's keys empty, and that makes no machine.
bool isNewMachine(const std::filesystem::path& dir);

// The machine folder the user chose on an earlier first start, while it still holds a registry.
// Nothing means that no choice was made yet: the registry's content cannot tell, as every start
// creates the driver's empty keys in it.
std::optional<std::filesystem::path> rememberedMachine(const UserConfig& config);
// Remembers the folder for the next start.
void rememberMachine(const UserConfig& config, const std::filesystem::path& dir);

// Carries out the choice and returns the machine folder to open. picked is the folder or file
// the user chose (not used to try the demo). Imports go into the default machine folder, once
// what starts left in it is cleared, or into a new folder beside it when it holds a machine;
// the demo copy's folder is made as needed. A disk image gets a machine folder of its own beside the default
// one, as --image gives it. Throws Failure with a message for the error box (the import's own for a failed
// import); the default machine then stays new.
std::filesystem::path carryOutFirstRunChoice(FirstRunChoice choice, const std::filesystem::path& picked,
                                             const FirstRunPlaces& places);

} // namespace kv
