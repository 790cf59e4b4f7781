#include "StoreError.h"

#include "Cp932.h"

namespace kv {

namespace {

Message named(std::string_view valueName, const char* text) {
    return Message{{}, "StoreError", text, {cp932::toUtf8(valueName)}};
}

} // namespace

Message storeFailed(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' の設定に失敗しました"));
}

Message loadFailed(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' の取得に失敗しました"));
}

Message wrongType(std::string_view valueName) {
    return named(valueName, QT_TRANSLATE_NOOP("StoreError", "'%1' のデータ型が不正です"));
}

} // namespace kv
