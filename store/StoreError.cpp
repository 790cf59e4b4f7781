#include "StoreError.h"

#include "Cp932.h"

namespace kv {

namespace {

StoreError named(std::string_view valueName, const char* tail) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "'" + std::string.
    std::string message(1, '\'');
    message += cp932::toUtf8(valueName);
    message += "' ";
    message += tail;
    return StoreError(message);
}

} // namespace

StoreError StoreError::storeFailed(std::string_view valueName) {
    return named(valueName, "の設定に失敗しました");
}

StoreError StoreError::loadFailed(std::string_view valueName) {
    return named(valueName, "の取得に失敗しました");
}

StoreError StoreError::wrongType(std::string_view valueName) {
    return named(valueName, "のデータ型が不正です");
}

} // namespace kv
