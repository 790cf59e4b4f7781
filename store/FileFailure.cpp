#include "FileFailure.h"

#include "RegistryDocument.h"

namespace kv {

void failOnFile(const std::filesystem::path& file, const char* what, std::error_code reason) {
    throw registryFileFailure(file.string(), what, {}, reason);
}

void failChangedMeanwhile(const std::filesystem::path& file) {
    failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "ほかのプログラムが同時に変更しました"));
}

} // namespace kv
