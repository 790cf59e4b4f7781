#include "MachineLock.h"

#include "MachineFolder.h"

namespace fs = std::filesystem;

namespace kv {

fs::path linkTarget(const fs::path& file) {
    std::error_code ec;
    fs::path target = fs::canonical(file, ec);
    return ec ? file : target;
}

MachineLock::MachineLock(const fs::path& machineDir)
    : m_lock(linkTarget(MachineFolder::registryFileIn(machineDir)), LockFile::Mode::Exclusive) {}

} // namespace kv
