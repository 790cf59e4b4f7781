// The invariant checker of a registry file. It runs on every file read and again on every file
// before it is written: a file that breaks a rule is neither changed nor written, and the error
// names the rule. What it learns on the way, where each block and record lies, is the index
// the model works with.
#pragma once

#include "Failure.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::hive {

// A text of the registry file code for the user, marked QT_TRANSLATE_NOOP("HiveFile", ...).
inline Message hiveText(const char* source, std::vector<std::string> args = {}) {
    return Message{{}, "HiveFile", source, std::move(args)};
}

// The rules. A file that breaks one fails with the rule's name as its first message and what is
// wrong, and at which offset of the file, as the next.
namespace rule {
inline constexpr const char* Header = QT_TRANSLATE_NOOP("HiveFile", "ファイルのヘッダー");
inline constexpr const char* KeyArea = QT_TRANSLATE_NOOP("HiveFile", "キー領域");
inline constexpr const char* Checksum = QT_TRANSLATE_NOOP("HiveFile", "チェックサム");
inline constexpr const char* Slot = QT_TRANSLATE_NOOP("HiveFile", "キースロット");
inline constexpr const char* TreeLinks = QT_TRANSLATE_NOOP("HiveFile", "キーのつながり");
inline constexpr const char* Hash = QT_TRANSLATE_NOOP("HiveFile", "名前のハッシュ");
inline constexpr const char* Ids = QT_TRANSLATE_NOOP("HiveFile", "キーの番号");
inline constexpr const char* FreeSlots = QT_TRANSLATE_NOOP("HiveFile", "空きキースロット");
inline constexpr const char* Block = QT_TRANSLATE_NOOP("HiveFile", "データブロック");
inline constexpr const char* Record = QT_TRANSLATE_NOOP("HiveFile", "キーのレコード");
inline constexpr const char* FreeRecords = QT_TRANSLATE_NOOP("HiveFile", "空きレコード");
inline constexpr const char* Limits = QT_TRANSLATE_NOOP("HiveFile", "Windows 95/98/Me の上限");
} // namespace rule

struct BlockIndex {
    std::uint32_t offset = 0; // in the file
    std::uint32_t size = 0;
    std::array<std::uint32_t, 255> records{}; // each id's record, from the block's start; 0 for none
};

struct Layout {
    std::uint32_t keyAreaSize = 0;
    std::vector<BlockIndex> blocks;
};

// Checks every rule and returns the index, or throws the Failure above.
Layout checkHive(std::string_view bytes);

// Windows 95, 98 and Me's limits (HiveFormat.h). Each throws a Failure naming the key, as
// keyShown gives it only then, and the value that breaks one.
using KeyShown = std::function<std::string()>;
void checkKeyNameLimit(const KeyShown& keyShown, std::size_t nameSize);
void checkValueLimits(const KeyShown& keyShown, std::string_view valueName, std::size_t dataSize);
// A key's record, its header, name and values as the file lays them out: each name and value as
// above, and the whole within MaxRecordSize. The checker applies it to every record it reads,
// and a change to each record it is about to store.
void checkKeyLimits(std::string_view record, const KeyShown& keyShown);

} // namespace kv::hive
