#include "HiveWriteBack.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "Failure.h"
#include "FileBytes.h"
#include "Hive.h"
#include "HiveChanges.h"
#include "MachineFolder.h"
#include "MachineImport.h"
#include "MachineLock.h"
#include "RegistryDocument.h"
#include "Snapshots.h"

#include <optional>
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

namespace kv {

namespace {

using hive::Change;
using hive::Hive;

// The files store most strings without their terminating NUL, which the machine's registry
// holds, as regedit shows them all alike. Such a string compares equal to its NUL-ended form and
// is written back without it, as are new strings.
bool sameValue(const hive::Value& stored, const RegValue& wanted) {
    if (stored.type != wanted.type)
        return false;
    if (stored.type == RegString && (stored.data.empty() || stored.data.back() != '\0'))
        return stored.data + '\0' == wanted.data;
    return stored.data == wanted.data;
}

std::string dataToStore(const RegValue& wanted, const std::optional<hive::Value>& stored) {
    const bool storedWithNul = stored && !stored->data.empty() && stored->data.back() == '\0';
    if (wanted.type == RegString && !wanted.data.empty() && wanted.data.back() == '\0' && !storedWithNul)
        return wanted.data.substr(0, wanted.data.size() - 1);
    return wanted.data;
}

void diffValues(const Hive& file, std::optional<Hive::Key> key, const RegKey& wanted,
                const std::vector<std::string>& path, std::vector<Change>& out) {
    const std::vector<hive::Value> stored = key ? file.values(*key) : std::vector<hive::Value>{};
    for (const hive::Value& value : stored)
        if (!wanted.value(value.name))
            out.push_back({Change::Kind::RemoveValue, path, value.name, 0, {}});
    for (const RegValue* value : wanted.values()) {
        std::optional<hive::Value> old;
        for (const hive::Value& s : stored)
            if (cp932::equalsIgnoreCase(s.name, value->name))
                old = s;
        if (!old || !sameValue(*old, *value))
            out.push_back({Change::Kind::SetValue, path, value->name, value->type, dataToStore(*value, old)});
    }
}

// The changes that make the file's key hold what wanted holds, and nothing else.
void diffKey(const Hive& file, std::optional<Hive::Key> key, const RegKey& wanted,
             std::vector<std::string>& path, std::vector<Change>& out) {
    if (!key && !path.empty())
        out.push_back({Change::Kind::AddKey, path, {}, 0, {}});
    if (!path.empty())
        diffValues(file, key, wanted, path, out);
    else if (!wanted.values().empty())
        throw Failure(Message::verbatim(
            "the machine's registry holds values on a hive's top key, which the files cannot hold"));
    if (key)
        for (Hive::Key child : file.children(*key))
            if (!wanted.child(file.name(child))) {
                path.push_back(file.name(child));
                out.push_back({Change::Kind::RemoveKey, path, {}, 0, {}});
                path.pop_back();
            }
    for (const RegKey* child : wanted.children()) {
        path.push_back(child->name());
        diffKey(file, key ? file.child(*key, child->name()) : std::nullopt, *child, path, out);
        path.pop_back();
    }
}

// A step on one of the files, whose failure (a rule the file breaks, a change it cannot hold)
// names the file.
template <typename Step> auto namingFile(const char* fileName, Step step) {
    try {
        return step();
    } catch (const Failure& e) {
        throw e.within(Message::verbatim(fileName));
    }
}

// One file with the changes that make it hold the tree under top.
std::string withChanges(std::string_view bytes, const RegKey& tree, const char* top, const char* fileName,
                        std::size_t& changes) {
    const RegKey* wanted = tree.child(top);
    if (!wanted)
        throw Failure(Message::verbatim(std::string("the machine's registry holds no ") + top +
                                        " to write into " + fileName));
    Hive file = namingFile(fileName, [&] { return Hive::read(std::string(bytes)); });
    std::vector<Change> diff;
    std::vector<std::string> path;
    diffKey(file, file.root(), *wanted, path, diff);
    namingFile(fileName, [&] { hive::applyChanges(file, diff); });
    changes += diff.size();
    return namingFile(fileName, [&] { return file.write(); });
}

} // namespace

WrittenHives hivesWithMachineChanges(const fs::path& machineDir, std::string_view systemDat,
                                     std::string_view userDat) {
    const fs::path registryFile = MachineFolder::registryFileIn(machineDir);
    auto registry = readIfPresent(registryFile);
    if (!registry)
        throw Failure(Message::verbatim(registryFile.string() + " cannot be read"));
    const RegistryDocument document = RegistryDocument::fromBytes(std::move(*registry));
    if (document.tree().child("HKEY_CURRENT_USER"))
        throw Failure(
            Message::verbatim("the machine's registry holds HKEY_CURRENT_USER, which neither "
                              "SYSTEM.DAT nor USER.DAT holds: write it under HKEY_USERS\\.DEFAULT"));
    WrittenHives out;
    out.systemDat = withChanges(systemDat, document.tree(), "HKEY_LOCAL_MACHINE", "SYSTEM.DAT", out.changes);
    out.userDat = withChanges(userDat, document.tree(), "HKEY_USERS", "USER.DAT", out.changes);
    return out;
}

std::string writeMachineHives(const fs::path& machineDir, const fs::path& systemDat,
                              const fs::path& userDat) {
    const MachineLock lock(machineDir);
    const auto oldSystem = readIfPresent(systemDat), oldUser = readIfPresent(userDat);
    if (!oldSystem || !oldUser)
        throw Failure(Message::verbatim((oldSystem ? userDat : systemDat).string() + ": cannot be read"));
    const WrittenHives written = hivesWithMachineChanges(machineDir, *oldSystem, *oldUser);
    if (written.systemDat == *oldSystem && written.userDat == *oldUser)
        return "SYSTEM.DAT and USER.DAT hold the machine's registry already: nothing written";
    const std::uint64_t id = Snapshots(machineDir)
                                 .take({}, SnapshotKind::ByHand,
                                       {{OutsideFile::Place::Host, fs::absolute(systemDat).string(),
                                         *oldSystem, fingerprintOf(written.systemDat).text()},
                                        {OutsideFile::Place::Host, fs::absolute(userDat).string(), *oldUser,
                                         fingerprintOf(written.userDat).text()}});
    for (const auto& [file, bytes, old] : {std::tuple{systemDat, &written.systemDat, &*oldSystem},
                                           std::tuple{userDat, &written.userDat, &*oldUser}}) {
        struct stat info {};
        const mode_t mode = ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
        if (*bytes != *old)
            replaceFileAtomically(file, {*bytes}, mode);
    }
    return "wrote " + std::to_string(written.changes) + " changes into " + systemDat.string() + " and " +
           userDat.string() + "; the files as they were are kept in snapshot " + std::to_string(id);
}

void restoreHiveFiles(const std::vector<OutsideFile>& files) {
    std::vector<std::pair<const OutsideFile*, std::optional<std::string>>> now;
    for (const OutsideFile& file : files) {
        if (file.place != OutsideFile::Place::Host)
            continue;
        auto bytes = readIfPresent(file.path);
        const std::string seen = bytes ? fingerprintOf(*bytes).text() : "";
        if (bytes == file.before)
            continue; // back as it was already
        if (seen != file.written)
            throw Failure(
                Message{{},
                        "HiveWriteBack",
                        QT_TRANSLATE_NOOP("HiveWriteBack",
                                          "%1 は Kavendel が書き込んだ後に変わりました。戻すとその後の変更を"
                                          "取り消すため、何も戻していません"),
                        {file.path}});
        now.emplace_back(&file, std::move(bytes));
    }
    for (const auto& [file, bytes] : now) {
        struct stat info {};
        const mode_t mode = ::stat(file->path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
        if (file->before)
            replaceFileAtomically(file->path, {*file->before}, mode);
        else
            fs::remove(file->path);
    }
}

} // namespace kv
