// Opens the machine folder's registry for the run, reporting unusable files and malformed lines.
#pragma once

#include <memory>

namespace kv {

class Dialogs;
class MachineFolder;
class SettingsStore;

// Creates the machine folder where needed and loads its registry.reg. Malformed lines are listed
// in one error box. Throws Failure naming the folder or file, with the reason, when the
// folder cannot be created or the file cannot be used; the file is then left untouched.
std::unique_ptr<SettingsStore> openMachineRegistry(const MachineFolder& machine, Dialogs& dialogs);

} // namespace kv
