#include "StoreError.h"

#include "Cp932.h"

namespace kv {

namespace {

StoreError named(std::string_view valueName, const char* text) {
    return StoreError(Message{{}, "StoreError", text, {cp932::toUtf8(valueName)}});
}

} // namespace

StoreError StoreError::storeFailed(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' の設定に失敗しました"));
}

StoreError StoreError::loadFailed(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' の取得に失敗しました"));
}

StoreError StoreError::wrongType(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' のデータ型が不正です"));
}

} // namespace kv
