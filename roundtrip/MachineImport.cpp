#include "MachineImport.h"

#include "AtomicFile.h"
#include "FileBytes.h"
#include "HiveCheck.h"
#include "HiveReader.h"
#include "MachineFolder.h"
#include "RegistryDocument.h"
#include "RoundTripText.h"

namespace fs = std::filesystem;

namespace kv {

void checkImportTarget(const fs::path& dir, const std::optional<fs::path>& driveC) {
    std::error_code ec;
    if (fs::exists(dir, ec) && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec)))
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip",
                                                      "%1 はすでにあり、空ではありません: "
                                                      "新しいフォルダか空のフォルダにインポートしてください"),
                                    {dir.string()}));
    if (driveC && !fs::is_directory(*driveC, ec))
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "--drive-c %1: そのようなフォルダはありません"),
                          {driveC->string()}));
}

void createMachine(const fs::path& dir, const std::string& registryBytes,
                   const std::optional<fs::path>& driveC) {
    checkImportTarget(dir, driveC);
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    try {
        failingAs(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "マシンフォルダ %1 を作成できません"),
                                {dir.string()}),
                  [&] {
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
