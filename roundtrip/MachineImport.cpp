#include "MachineImport.h"

#include "AtomicFile.h"
#include "FileBytes.h"
#include "HiveCheck.h"
#include "HiveReader.h"
#include "MachineFolder.h"
#include "RegistryDocument.h"

namespace fs = std::filesystem;

namespace kv {

namespace {

std::string readWhole(const fs::path& file) {
    auto bytes = readIfPresent(file);
    if (!bytes)
        throw Failure(Message::verbatim(file.string() + ": no such file"));
    return std::move(*bytes);
}

} // namespace

void checkImportTarget(const fs::path& dir, const std::optional<fs::path>& driveC) {
    std::error_code ec;
    if (fs::exists(dir, ec) && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec)))
        throw Failure(Message::verbatim(
            dir.string() + " already exists and is not empty: import into a new or empty folder"));
    if (driveC && !fs::is_directory(*driveC, ec))
        throw Failure(Message::verbatim("--drive-c " + driveC->string() + ": no such folder"));
}

void createMachine(const fs::path& dir, const std::string& registryBytes,
                   const std::optional<fs::path>& driveC) {
    checkImportTarget(dir, driveC);
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    try {
        failingAs(Message::verbatim("cannot create the machine folder " + dir.string()), [&] {
            fs::create_directories(dir);
            replaceFileAtomically(MachineFolder::registryFileIn(dir), {registryBytes}, 0644);
            fs::create_directories(MachineFolder::baselineIn(dir).parent_path());
            replaceFileAtomically(MachineFolder::baselineIn(dir), {registryBytes}, 0644);
            if (driveC)
                fs::create_directory_symlink(fs::absolute(*driveC), MachineFolder::driveCIn(dir));
            else
                fs::create_directory(MachineFolder::driveCIn(dir));
            syncFolder(dir);
        });
    } catch (const Failure&) {
        if (existed) {
            fs::remove(MachineFolder::registryFileIn(dir), ec);
            fs::remove(MachineFolder::driveCIn(dir), ec);
            fs::remove(MachineFolder::baselineIn(dir), ec);
            fs::remove(MachineFolder::baselineIn(dir).parent_path(), ec);
        } else {
            fs::remove_all(dir, ec);
        }
        throw;
    }
}

void importRegistryExport(const fs::path& dir, const fs::path& regFile,
                          const std::optional<fs::path>& driveC) {
    checkImportTarget(dir, driveC);
    std::string bytes = readWhole(regFile);
    // Parsed only to refuse what is not REGEDIT4; the file is kept as it is.
    try {
        RegistryDocument::parse(bytes, regFile.filename().string());
    } catch (const Failure& e) {
        throw e.as(Fault::badUsage); // the file given is no registry
    }
    createMachine(dir, bytes, driveC);
}

std::vector<Failure> importHives(const fs::path& dir, const fs::path& first, const fs::path& second,
                                 const std::optional<fs::path>& driveC) {
    checkImportTarget(dir, driveC);
    createMachine(dir, exportHives(first, second), driveC);
    std::vector<Failure> broken;
    for (const fs::path& file : {first, second}) {
        try {
            hive::checkHive(readWhole(file));
        } catch (const Failure& e) {
            broken.push_back(e.within(
                Message{{},
                        "MachineImport",
                        QT_TRANSLATE_NOOP("MachineImport", "%1 は Windows 95/98/Me のレジストリファイルの"
                                                           "規則に反しているため、Kavendel はこのファイルには"
                                                           "書き込みません"),
                        {file.string()}}));
        }
    }
    return broken;
}

} // namespace kv
