#include "StartupPatch.h"

#include "AtomicFile.h"
#include "Cp932.h"

namespace fs = std::filesystem;

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";
const KeyPath ShellFolders = {"Software",       "Microsoft", "Windows",
                              "CurrentVersion", "Explorer",  "Shell Folders"};

// HKEY_CURRENT_USER, which a whole export from Windows 98 holds as HKEY_USERS\.DEFAULT.
const RegKey* currentUser(const RegKey& tree) {
    if (const RegKey* user = tree.child("HKEY_CURRENT_USER"))
        return user;
    return tree.find(KeyPath{"HKEY_USERS", ".DEFAULT"});
}

} // namespace

std::optional<std::string> startupFolderOf(const RegKey& tree) {
    const RegKey* user = currentUser(tree);
    const RegKey* folders = user ? user->find(ShellFolders) : nullptr;
    const RegValue* startup = folders ? folders->value("Startup") : nullptr;
    if (!startup || (startup->type != RegString && startup->type != RegExpandString))
        return std::nullopt;
    std::string path = startup->data.substr(0, startup->data.find('\0'));
    if (path.empty())
        return std::nullopt;
    return path;
}

namespace {

std::string withFile(std::string folder, std::string_view file) {
    if (!folder.ends_with('\\'))
        folder += '\\';
    return folder + std::string(file);
}

} // namespace

std::string startupBatch(std::string_view startupFolder) {
    std::string out = "@ECHO OFF";
    out += Crlf;
    out += "REGEDIT /S " + std::string(PatchWindowsPath);
    out += Crlf;
    out += "DEL \"" + withFile(std::string(startupFolder), StartupBatchName) + "\"";
    out += Crlf;
    return out;
}

void stagePatchForNextStart(const RegKey& tree, const WindowsPathResolver& resolve, std::string_view patch) {
    const auto startup = startupFolderOf(tree);
    if (!startup)
        throw StartupPatchError("the registry does not name the Startup folder (HKEY_CURRENT_USER\\Software\\"
                                "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders, \"Startup\")");
    const auto startupDir = resolve(*startup);
    std::error_code ec;
    if (!startupDir || !fs::is_directory(*startupDir, ec))
        throw StartupPatchError("the Startup folder " + cp932::toUtf8(*startup) +
                                " is not in the machine's drives");
    const auto patchFile = resolve(PatchWindowsPath);
    if (!patchFile)
        throw StartupPatchError(std::string(PatchWindowsPath) + " is not in the machine's drives");
    try {
        fs::create_directories(patchFile->parent_path());
        replaceFileAtomically(*patchFile, {patch}, 0644);
        replaceFileAtomically(*startupDir / std::string(StartupBatchName), {startupBatch(*startup)}, 0644);
    } catch (const std::exception& e) {
        throw StartupPatchError(std::string("cannot hand the changes to Windows: ") + e.what());
    }
}

} // namespace kv
