#include "HiveWriteBack.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "Failure.h"
#include "FileBytes.h"
#include "Hive.h"
#include "HiveChanges.h"
#include "MachineFolder.h"
#include "MachineLock.h"
#include "Snapshots.h"

#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace kv {

namespace {

using hive::Hive;

Message writeBackText(const char* source, std::vector<std::string> args) {
    return Message{{}, "WriteBack", source, std::move(args)};
}

// Line number (from 1) of text, its end not included; lines end as the registry's reading has
// them: CR LF, LF or CR alone.
std::string_view lineOf(std::string_view text, std::size_t number) {
    std::size_t start = 0;
    for (std::size_t line = 1; line < number && start < text.size(); ++line) {
        start = text.find_first_of("\r\n", start);
        if (start == std::string_view::npos)
            return {};
        start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    return start < text.size() ? text.substr(start, end - start) : std::string_view{};
}

// The files store most strings without their terminating NUL, which the machine's registry
// holds, as regedit shows them all alike. A string keeps the form the file gave it; a new one
// is written without it.
std::string dataToStore(const RegValue& wanted, const Hive& file, const std::vector<std::string>& path) {
    if (wanted.type != RegString || wanted.data.empty() || wanted.data.back() != '\0')
        return wanted.data;
    if (const auto key = hive::findKey(file, path))
        for (const hive::Value& stored : file.values(*key))
            if (cp932::equalsIgnoreCase(stored.name, wanted.name) && !stored.data.empty() &&
                stored.data.back() == '\0')
                return wanted.data;
    return wanted.data.substr(0, wanted.data.size() - 1);
}

// The file's key as the machine's registry reads it: strings with their terminating NUL.
void copyInto(const Hive& file, Hive::Key key, RegKey& into) {
    for (hive::Value& value : file.values(key)) {
        if (value.type == RegString && (value.data.empty() || value.data.back() != '\0'))
            value.data.push_back('\0');
        into.setValue(value.name, value.type, std::move(value.data));
    }
    for (Hive::Key child : file.children(key))
        copyInto(file, child, into.ensureChild(file.name(child)));
}

// A step on one of the files, whose failure (a rule the file breaks, a change it cannot hold)
// names the file.
template <typename Step> auto namingFile(const std::string& fileName, Step step) {
    try {
        return step();
    } catch (const Failure& e) {
        throw e.within(Message::verbatim(fileName));
    }
}

struct HiveFile {
    const char* top;
    const char* name;
    Hive file;
    std::vector<hive::Change> changes;
};

hive::Change changeOf(const PatchStep& step, const HiveFile& hive) {
    std::vector<std::string> path(step.path.begin() + 1, step.path.end());
    if (path.empty())
        throw Failure(writeBackText(
            QT_TRANSLATE_NOOP("WriteBack", "%1 の一番上のキーには値を置けません: %2 は書き込めません"),
            {hive.name, step.value.name}));
    switch (step.kind) {
    case PatchStep::Kind::SetValue:
        return {hive::Change::Kind::SetValue, path, step.value.name, step.value.type,
                dataToStore(step.value, hive.file, path)};
    case PatchStep::Kind::RemoveValue:
        return {hive::Change::Kind::RemoveValue, path, step.value.name, 0, {}};
    case PatchStep::Kind::RemoveKey:
        break;
    }
    return {hive::Change::Kind::RemoveKey, path, {}, 0, {}};
}

// Each step goes to the file that holds its hive.
void route(const std::vector<PatchStep>& steps, HiveFile& system, HiveFile& user) {
    for (const PatchStep& step : steps) {
        HiveFile* hive = cp932::equalsIgnoreCase(step.path.front(), system.top) ? &system
                         : cp932::equalsIgnoreCase(step.path.front(), user.top) ? &user
                                                                                : nullptr;
        if (!hive)
            throw Failure(writeBackText(
                QT_TRANSLATE_NOOP("WriteBack", "マシンのレジストリは %1 を変えましたが、SYSTEM.DAT "
                                               "にも USER.DAT にもそのキーはありません"),
                {cp932::toUtf8(joinPath(step.path))}));
        hive->changes.push_back(changeOf(step, *hive));
    }
}

bool holdsUsers(const std::string& bytes, const fs::path& file) {
    const Hive hive = namingFile(file.string(), [&] { return Hive::read(bytes); });
    return hive.child(hive.root(), ".DEFAULT").has_value();
}

void replaceKeepingMode(const fs::path& file, const std::string& bytes) {
    struct stat info {};
    const mode_t mode = ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
    replaceFileAtomically(file, {bytes}, mode);
}

} // namespace

RegistryDocument registryToWriteBack(const fs::path& machineDir) {
    const fs::path file = MachineFolder::registryFileIn(machineDir);
    RegistryDocument document = RegistryDocument::fromBytes(readWhole(file), file.string());
    if (document.malformedLineNumbers().empty())
        return document;
    const std::size_t number = document.malformedLineNumbers().front();
    throw Failure(document.malformedLines().front())
        .within(writeBackText(QT_TRANSLATE_NOOP("WriteBack",
                                                "%1 の %2 行目「%3」が読めないため、書き戻しません。"
                                                "その値が失われるからです。行を直してからやり直してください"),
                              {file.string(), std::to_string(number),
                               cp932::toUtf8(lineOf(document.source().view(), number))}));
}

RegistryDocument baselineOf(const fs::path& machineDir) {
    const fs::path file = MachineFolder::baselineIn(machineDir);
    auto bytes = readIfPresent(file);
    return bytes ? RegistryDocument::fromBytes(std::move(*bytes), file.string()) : RegistryDocument();
}

WrittenHives hivesWithMachineChanges(const RegKey& baseline, const RegKey& machine,
                                     std::string_view systemDat, std::string_view userDat) {
    HiveFile system{"HKEY_LOCAL_MACHINE",
                    "SYSTEM.DAT",
                    namingFile("SYSTEM.DAT", [&] { return Hive::read(std::string(systemDat)); }),
                    {}};
    HiveFile user{"HKEY_USERS",
                  "USER.DAT",
                  namingFile("USER.DAT", [&] { return Hive::read(std::string(userDat)); }),
                  {}};
    RegKey current{""};
    for (const HiveFile* hive : {&system, &user})
        copyInto(hive->file, hive->file.root(), current.ensureChild(hive->top));
    MergedPatch merged = mergeOnto(baseline, machine, current);
    route(merged.steps, system, user);
    WrittenHives out;
    out.changes = merged.steps.size();
    out.registry = plannedValueChanges(merged.steps, current);
    out.collisions = std::move(merged.collisions);
    for (HiveFile* hive : {&system, &user}) {
        namingFile(hive->name, [&] { hive::applyChanges(hive->file, hive->changes); });
        (hive == &system ? out.systemDat : out.userDat) =
            hive->changes.empty() ? std::string(hive == &system ? systemDat : userDat)
                                  : namingFile(hive->name, [&] { return hive->file.write(); });
    }
    return out;
}

namespace {

// The two files, told apart, and what the machine's changes make of them.
struct PreparedHives {
    HiveWriteReport report;
    std::string systemBefore, userBefore;
    WrittenHives written;
};

PlannedFile plannedReplacement(const fs::path& file, const std::string& before, const std::string& after) {
    return {file.string(), before.size(), after.size()};
}

PreparedHives prepareHives(const RegistryDocument& machine, const fs::path& machineDir, const fs::path& first,
                           const fs::path& second) {
    std::string firstBytes = readWhole(first), secondBytes = readWhole(second);
    const bool firstHoldsUsers = holdsUsers(firstBytes, first);
    if (firstHoldsUsers == holdsUsers(secondBytes, second))
        throw Failure(
            writeBackText(QT_TRANSLATE_NOOP("WriteBack",
                                            "%1 と %2 はどちらも %3 です: SYSTEM.DAT と USER.DAT "
                                            "を 1 つずつ指定してください"),
                          {first.string(), second.string(), firstHoldsUsers ? "USER.DAT" : "SYSTEM.DAT"}),
            {}, Fault::badUsage);
    if (firstHoldsUsers)
        std::swap(firstBytes, secondBytes);
    PreparedHives out{{firstHoldsUsers ? second : first, firstHoldsUsers ? first : second, 0, 0, {}, {}},
                      std::move(firstBytes),
                      std::move(secondBytes),
                      {}};
    out.written = hivesWithMachineChanges(baselineOf(machineDir).tree(), machine.tree(), out.systemBefore,
                                          out.userBefore);
    HiveWriteReport& report = out.report;
    report.changes = out.written.changes;
    report.collisions = out.written.collisions;
    report.plan.registry = out.written.registry;
    if (out.written.systemDat != out.systemBefore)
        report.plan.files.push_back(
            plannedReplacement(report.systemDat, out.systemBefore, out.written.systemDat));
    if (out.written.userDat != out.userBefore)
        report.plan.files.push_back(plannedReplacement(report.userDat, out.userBefore, out.written.userDat));
    return out;
}

} // namespace

HiveWriteReport writeMachineHives(const fs::path& machineDir, const fs::path& first, const fs::path& second) {
    const MachineLock lock(machineDir);
    const RegistryDocument machine = registryToWriteBack(machineDir);
    PreparedHives prepared = prepareHives(machine, machineDir, first, second);
    HiveWriteReport& report = prepared.report;
    const WrittenHives& written = prepared.written;
    if (written.changes > 0) {
        // The snapshot keeps the baseline too, so that a restore puts back what the files then held.
        report.snapshot = Snapshots(machineDir)
                              .take({MachineFolder::baselineIn(machineDir)}, SnapshotKind::ByHand,
                                    {{OutsideFile::Place::Host, fs::absolute(report.systemDat).string(),
                                      prepared.systemBefore, fingerprintOf(written.systemDat).text()},
                                     {OutsideFile::Place::Host, fs::absolute(report.userDat).string(),
                                      prepared.userBefore, fingerprintOf(written.userDat).text()}});
        if (written.systemDat != prepared.systemBefore)
            replaceKeepingMode(report.systemDat, written.systemDat);
        if (written.userDat != prepared.userBefore)
            replaceKeepingMode(report.userDat, written.userDat);
    }
    const fs::path baseline = MachineFolder::baselineIn(machineDir);
    fs::create_directories(baseline.parent_path());
    replaceFileAtomically(baseline, {machine.source().view()}, 0644);
    return std::move(report);
}

HiveWriteReport planMachineHives(const fs::path& machineDir, const fs::path& first, const fs::path& second) {
    return prepareHives(registryToWriteBack(machineDir), machineDir, first, second).report;
}

OutsideRestore planHiveRestore(const std::vector<OutsideFile>& files) {
    OutsideRestore restore;
    std::vector<OutsideFile> toPutBack;
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
        restore.replaced.push_back({OutsideFile::Place::Host, file.path, std::move(bytes),
                                    file.before ? fingerprintOf(*file.before).text() : ""});
        toPutBack.push_back(file);
    }
    restore.putBack = [toPutBack] {
        for (const OutsideFile& file : toPutBack) {
            struct stat info {};
            const mode_t mode = ::stat(file.path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
            if (file.before)
                replaceFileAtomically(file.path, {*file.before}, mode);
            else
                fs::remove(file.path);
        }
    };
    return restore;
}

std::string collisionText(const Collision& collision) {
    std::string text = cp932::toUtf8(joinPath(collision.path));
    if (collision.valueName)
        text += collision.valueName->empty() ? " @" : " \"" + cp932::toUtf8(*collision.valueName) + "\"";
    return text;
}

} // namespace kv
