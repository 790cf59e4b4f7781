#include "StoreError.h"

#include "Cp932.h"

namespace kv {

namespace {

StoreError named(std::string_view valueName, const char* tail) {
    return StoreError("'" + cp932::toUtf8(valueName) + "' " + tail);
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
