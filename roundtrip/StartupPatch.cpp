#include "StartupPatch.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "FileBytes.h"
#include "RoundTripText.h"

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

std::string startupFolderNamedIn(const RegKey& tree) {
    if (auto startup = startupFolderOf(tree))
        return std::move(*startup);
    throw Failure(roundTripText(
        QT_TRANSLATE_NOOP("RoundTrip",
                          "レジストリがスタートアップフォルダ (%1 の \"Startup\") を示していないため、"
                          "Windows は変更を取り込めません"),
        {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"}));
}

namespace {

std::string withFile(std::string folder, std::string_view file) {
    if (!folder.ends_with('\\'))
        folder += '\\';
    return folder + std::string(file);
}

} // namespace

// The command interpreter opens the batch file again by name for each line it reads. After a
// last line that ends with a line break it comes back for more, finds the file deleted, and
// says "Batch file missing". Reaching the end of the file while it reads a line ends the batch
// at once, before that line runs: so the deleting line is the last, with no line break after it.
std::string startupBatch(std::string_view startupFolder) {
    std::string out = "@ECHO OFF";
    out += Crlf;
    out += "REGEDIT /S " + std::string(PatchWindowsPath);
    out += Crlf;
    out += "DEL \"" + withFile(std::string(startupFolder), StartupBatchName) + "\"";
    return out;
}

std::vector<HandOverFile> patchFilesForNextStart(const RegKey& tree, const WindowsPathResolver& resolve,
                                                 std::string_view patch) {
    const auto startup = startupFolderNamedIn(tree);
    // The folder at the top of the Startup folder's path, C:\WINDOWS: where it is missing, the
    // drive is not the machine's installation.
    const std::vector<std::string> parts = cp932::split(startup);
    const auto top = parts.size() < 2 ? std::nullopt : resolve(parts[0] + '\\' + parts[1]);
    const auto startupDir = resolve(startup);
    std::error_code ec;
    if (!startupDir || !top || !fs::is_directory(*top, ec))
        throw Failure(roundTripText(
            QT_TRANSLATE_NOOP("RoundTrip", "スタートアップフォルダ %1 はマシンのドライブの中にありません"),
            {cp932::toUtf8(startup)}));
    const auto patchFile = resolve(PatchWindowsPath);
    if (!patchFile)
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 はマシンのドライブの中にありません"),
                                    {std::string(PatchWindowsPath)}));
    return {{*patchFile, std::string(PatchWindowsPath), std::string(patch)},
            {*startupDir / std::string(StartupBatchName), withFile(startup, StartupBatchName),
             startupBatch(startup)}};
}

std::vector<HandOverFile> stagePatchForNextStart(const RegKey& tree, const WindowsPathResolver& resolve,
                                                 std::string_view patch,
                                                 const std::function<void(const fs::path&)>& beforeWriting) {
    const std::vector<HandOverFile> files = patchFilesForNextStart(tree, resolve, patch);
    failingAs(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "変更を Windows に渡せません")), [&] {
        if (beforeWriting)
            for (const HandOverFile& file : files)
                beforeWriting(file.host);
        for (const HandOverFile& file : files) {
            fs::create_directories(file.host.parent_path());
            replaceFileAtomically(file.host, {file.bytes}, 0644);
        }
    });
    return files;
}

} // namespace kv
