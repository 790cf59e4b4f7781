// The error every store operation raises; its message is ready for the error box (UTF-8).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kv {

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    // valueName is CP932; the messages name it in place of %s.
    static StoreError storeFailed(std::string_view valueName); // '%s' の設定に失敗しました
    static StoreError loadFailed(std::string_view valueName);  // '%s' の取得に失敗しました
    static StoreError wrongType(std::string_view valueName);   // '%s' のデータ型が不正です
};

} // namespace kv
