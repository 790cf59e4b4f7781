// The messages of the loads and stores that fail. Each names the value (CP932 in, UTF-8 in the
// message) and is shown translated; the failure that carries one may also carry the system's
// reason.
#pragma once

#include "Message.h"

#include <string_view>

namespace kv {

Message storeFailed(std::string_view valueName); // '%1' の設定に失敗しました
Message loadFailed(std::string_view valueName);  // '%1' の取得に失敗しました
Message wrongType(std::string_view valueName);   // '%1' のデータ型が不正です

} // namespace kv
