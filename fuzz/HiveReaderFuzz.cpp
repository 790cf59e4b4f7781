// Hostile binary registry files: reading one must end soon, in bounded memory, with an export
// or a Failure, never a crash. An export is REGEDIT4 text whose keys are all under the root
// the file's kind gives it.
#include "HiveReader.h"
#include "RegistryDocument.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path& inputFile() {
    static const fs::path file = [] {
        const fs::path dir = fs::temp_directory_path() / ("kavendel-hive-fuzz-" + std::to_string(getpid()));
        fs::create_directories(dir);
        std::atexit([] { fs::remove_all(inputFile().parent_path()); });
        return dir / "input.dat";
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(inputFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush())
            std::abort();
    }
    try {
        const kv::HiveExport hive = kv::readHive(inputFile());
        const kv::RegistryDocument doc = kv::RegistryDocument::parse("REGEDIT4\r\n\r\n" + hive.text);
        const auto keys = doc.tree().children();
        if (keys.size() != 1 ||
            keys.front()->name() != (hive.holdsUsers ? "HKEY_USERS" : "HKEY_LOCAL_MACHINE"))
            std::abort();
    } catch (const kv::Failure&) {
    }
    return 0;
}
