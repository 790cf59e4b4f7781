// The error every store operation raises; its message names the value (UTF-8) and can be shown
// translated.
#pragma once

#include "Message.h"

#include <string_view>

namespace kv {

class StoreError : public TranslatableError {
public:
    using TranslatableError::TranslatableError;

    // valueName is CP932; the messages name it in place of %1.
    static StoreError storeFailed(std::string_view valueName); // '%1' の設定に失敗しました
    static StoreError loadFailed(std::string_view valueName);  // '%1' の取得に失敗しました
    static StoreError wrongType(std::string_view valueName);   // '%1' のデータ型が不正です
};

} // namespace kv
