#include "TemporaryFolder.h"

#include "FileFailure.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace kv {

namespace {

std::filesystem::path temporaryBase() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    return base.string().find_first_of(" \t\n") == std::string::npos ? base : "/tmp";
}

} // namespace

TemporaryFolder::TemporaryFolder(std::string_view purpose) {
    const std::filesystem::path base = temporaryBase();
    std::string pattern = (base / ("kavendel-" + std::string(purpose) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        failOnFile(base, QT_TRANSLATE_NOOP("RegistryFile", "一時フォルダを作成できません"), lastSystemReason());
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace kv
