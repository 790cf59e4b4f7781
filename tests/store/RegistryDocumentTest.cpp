// Reading REGEDIT4 text as regedit does, and writing back only what changed.
#include "RegistryDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

using namespace kv;
using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

constexpr auto HKLM = "HKEY_LOCAL_MACHINE";

struct ReadRow {
    const char* label;
    std::string_view text;
    KeyPath key;
    std::string_view name;
    std::uint32_t type; // 0: the value must be absent
    std::string_view data;
    std::size_t malformed = 0; // lines reported as malformed
};

const ReadRow ReadRows[] = {
    {"CrLfString",
     "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "a",
     RegString,
     "1\0"sv},
    {"LfOnly", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"x\"\n", {HKLM, "k"}, "A", RegString, "x\0"sv},
    {"CrOnly",
     "REGEDIT4\r[HKEY_LOCAL_MACHINE\\K]\r\"A\"=dword:0000abcd\r",
     {HKLM, "K"},
     "A",
     RegNumber,
     "\xcd\xab\0\0"sv},
    {"MixedEndsNoFinalEnd",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\"A\"=dword:1\n\"B\"=hex:01",
     {HKLM, "K"},
     "B",
     RegBinary,
     "\x01"sv},
    {"CommentsAndIndent",
     "REGEDIT4\r\n; c\r\n[HKEY_LOCAL_MACHINE\\K]\r\n;\"A\"=\"no\"\r\n  \"A\" = \"yes\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "yes\0"sv},
    {"ContinuedHex",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01,02,\\\r\n  03,\\\n  04\r\n",
     {HKLM, "K"},
     "B",
     RegBinary,
     "\x01\x02\x03\x04"sv},
    {"BackslashOnLastLine",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01,\\",
     {HKLM, "K"},
     "B",
     RegBinary,
     "\x01"sv},
    {"OtherKindByteForByte",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"E\"=hex(2):25,00\r\n",
     {HKLM, "K"},
     "E",
     2,
     "%\0"sv},
    {"EscapedQuotes",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\\\"b\"=\"c:\\\\x \\\"q\\\" \\n\"\r\n",
     {HKLM, "K"},
     "a\"b",
     RegString,
     "c:\\x \"q\" \\n\0"sv},
    {"DefaultValue",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n@=\"d\"\r\n",
     {HKLM, "K"},
     "",
     RegString,
     "d\0"sv},
    {"DoubleByteWith5CTrail",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\\x83\x5C\x83\x74\x83\x67]\r\n\"\x95\x5C\"=\"\x94\x5C\"\r\n",
     {HKLM, "\x83\x5C\x83\x74\x83\x67"},
     "\x95\x5C",
     RegString,
     "\x94\x5C\0"sv},
    {"DoubleByteWith22Trail",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"n\"=\"\x81\x22\"\r\n",
     {HKLM, "K"},
     "n",
     RegString,
     "\x81\x22\0"sv},
    {"ValueDeleted",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n\"a\"=-\r\n",
     {HKLM, "K"},
     "A",
     0,
     ""},
    {"KeyDeletedThenRecreated",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\\S]\r\n\"A\"=\"1\"\r\n[-HKEY_LOCAL_MACHINE\\K]\r\n[HKEY_LOCAL_"
     "MACHINE\\K\\S]\r\n"
     "\"B\"=\"2\"\r\n",
     {HKLM, "K", "S"},
     "A",
     0,
     ""},
    {"LowerCaseRoot",
     "REGEDIT4\r\n[hkey_local_machine\\K]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv},
    {"UsersOnly",
     "REGEDIT4\r\n[HKEY_USERS\\.DEFAULT\\Software]\r\n\"A\"=\"1\"\r\n",
     {"HKEY_USERS", ".DEFAULT", "Software"},
     "A",
     RegString,
     "1\0"sv},
};

class ReadTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadTest, ReadsAsRegeditAndWritesBackByteIdentical) {
    const ReadRow& row = GetParam();
    const RegistryDocument doc = RegistryDocument::parse(row.text);
    EXPECT_EQ(doc.text(), row.text);
    EXPECT_EQ(doc.malformedLines().size(), row.malformed);
    const RegKey* key = doc.tree().find(row.key);
    ASSERT_TRUE(key);
    const RegValue* value = key->value(row.name);
    if (row.type == 0) {
        EXPECT_FALSE(value);
        return;
    }
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, row.type);
    EXPECT_EQ(value->data, row.data);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadTest, ::testing::ValuesIn(ReadRows),
                         [](const auto& info) { return std::string(info.param.label); });

// regedit's reading rules, each against a file that tells them apart.
#define FILE_K "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
const ReadRow RuleRows[] = {
    {"BlanksBeforeHeader",
     " \tREGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv},
    {"KeyLineWithoutBracketKeepsTheKey",
     FILE_K "[HKEY_LOCAL_MACHINE\\L\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv,
     1},
    {"BlankAfterBracketKeepsTheKey",
     FILE_K "[ HKEY_LOCAL_MACHINE\\L]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv,
     1},
    {"TrailingBackslashesDropped",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\\\\]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv},
    {"RunOfBackslashesNamesOneKey",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\\\\\\S]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K", "S"},
     "A",
     RegString,
     "1\0"sv},
    {"EmptyFirstKeyNameClosesTheKey",
     FILE_K "[HKEY_LOCAL_MACHINE\\\\L]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     0,
     "",
     2},
    {"TextAfterBracketIgnored",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K] x\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     RegString,
     "1\0"sv},
    {"BlanksAfterDwordTag", FILE_K "\"A\"=dword: \t1f\r\n", {HKLM, "K"}, "A", RegNumber, "\x1f\0\0\0"sv},
    {"CommentAfterString", FILE_K "\"A\"=\"x;y\" ; note\r\n", {HKLM, "K"}, "A", RegString, "x;y\0"sv},
    {"CommentAfterDword", FILE_K "\"A\"=dword:2;note\r\n", {HKLM, "K"}, "A", RegNumber, "\2\0\0\0"sv},
    {"CommentAfterHex", FILE_K "\"A\"=hex:01,02 ;note\r\n", {HKLM, "K"}, "A", RegBinary, "\1\2"sv},
    {"CommentAfterDeletion", FILE_K "\"A\"=\"1\"\r\n\"A\"=- ;gone\r\n", {HKLM, "K"}, "A", 0, ""},
    {"CommentAfterContinuationMark",
     FILE_K "\"A\"=hex:01,\\ ;more\r\n  02\r\n",
     {HKLM, "K"},
     "A",
     RegBinary,
     "\1\2"sv},
    {"DwordTagHasItsCase", FILE_K "\"A\"=DWORD:1\r\n", {HKLM, "K"}, "A", 0, "", 1},
    {"HexTagHasItsCase", FILE_K "\"A\"=Hex:01\r\n", {HKLM, "K"}, "A", 0, "", 1},
    {"HexBytesAsRegeditReadsThem",
     FILE_K "\"A\"=hex:1,001,+2,0x3, 4\r\n",
     {HKLM, "K"},
     "A",
     RegBinary,
     "\1\1\2\3\4"sv},
    {"BlankBeforeCommaBreaksHex", FILE_K "\"A\"=hex:01 ,02\r\n", {HKLM, "K"}, "A", 0, "", 1},
    {"ContinuationOnlyAfterComma", FILE_K "\"A\"=hex:01\\\r\n02\r\n", {HKLM, "K"}, "A", 0, "", 2},
    {"ContinuationSkipsBlankAndComment",
     FILE_K "\"A\"=hex:01,\\\r\n\r\n ; c\r\n  02\r\n",
     {HKLM, "K"},
     "A",
     RegBinary,
     "\1\2"sv},
    {"ContinuationNeedsHexDigit", FILE_K "\"A\"=hex:01,\\\r\n\"B\"=\"1\"\r\n", {HKLM, "K"}, "A", 0, "", 1},
    {"LineAfterDroppedContinuationConsumed",
     FILE_K "\"A\"=hex:01,\\\r\n\"B\"=\"1\"\r\n",
     {HKLM, "K"},
     "B",
     0,
     "",
     1},
    {"SectionAfterDroppedContinuationConsumed",
     FILE_K "\"A\"=hex:01,\\\r\n[HKEY_LOCAL_MACHINE\\L]\r\n\"B\"=\"1\"",
     {HKLM, "K"},
     "B",
     RegString,
     "1\0"sv,
     1},
    {"SectionAfterCommentsInContinuationConsumed",
     FILE_K "\"A\"=hex:01,\\ ;more\r\n; note\r\n\r\n  [HKEY_LOCAL_MACHINE\\L]\r\n\"B\"=\"1\"",
     {HKLM, "K"},
     "B",
     RegString,
     "1\0"sv,
     1},
    {"IndentedSectionAfterCrOnlyEnd",
     "REGEDIT4\r[HKEY_LOCAL_MACHINE\\K]\r\"A\"=\"[x]\"\r \t[HKEY_LOCAL_MACHINE\\L]\r\"B\"=\"1\"\r",
     {HKLM, "L"},
     "B",
     RegString,
     "1\0"sv},
    {"SectionAfterTrailByteBackslash",
     FILE_K "\x95\x5c\r\n[HKEY_LOCAL_MACHINE\\L]\r\n\"B\"=\"1\"",
     {HKLM, "L"},
     "B",
     RegString,
     "1\0"sv,
     1},
    {"PathExtendingTheLastKeysName",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Softw]\r\n[HKEY_LOCAL_MACHINE\\Software\\Sub]\r\n"
     "[HKEY_LOCAL_MACHINE\\Softw\\\\Run]\r\n[HKEY_LOCAL_MACHINE\\Software\\Sub]\r\n\"E\"=\"5\"\r\n",
     {HKLM, "Software", "Sub"},
     "E",
     RegString,
     "5\0"sv},
    {"BrokenHexEndsContinuationEarly",
     FILE_K "\"A\"=hex:zz,\\\r\n01,\\\r\n[HKEY_LOCAL_MACHINE\\L]\r\n\"B\"=\"1\"",
     {HKLM, "L"},
     "B",
     RegString,
     "1\0"sv,
     2},
    {"DwordWithoutDigitsBeforeComment",
     FILE_K "\"A\"=dword: ;none\r\n",
     {HKLM, "K"},
     "A",
     RegNumber,
     "\0\0\0\0"sv},
    {"HexKindAsRegeditReadsIt", FILE_K "\"A\"=hex( 2):41,00\r\n", {HKLM, "K"}, "A", 2, "A\0"sv},
    {"ValueAfterDeletionGoesNowhere",
     FILE_K "[-HKEY_LOCAL_MACHINE\\X]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     0,
     "",
     1},
    {"ValueAfterUnknownRootGoesNowhere",
     FILE_K "[HKEY_ELSEWHERE\\X]\r\n\"A\"=\"1\"\r\n",
     {HKLM, "K"},
     "A",
     0,
     "",
     2},
};
#undef FILE_K

INSTANTIATE_TEST_SUITE_P(Rules, ReadTest, ::testing::ValuesIn(RuleRows),
                         [](const auto& info) { return std::string(info.param.label); });

struct MalformedRow {
    const char* label;
    std::string_view line;
    const char* report; // for the line's number, 3
};

const MalformedRow MalformedRows[] = {
    {"UnknownRoot", "[HKEY_NOWHERE\\K]", "registry.reg:3: 不明なルートキー 'HKEY_NOWHERE'"},
    {"BrokenHex", "\"B\"=hex:01,zz", "registry.reg:3: 16 進の並びが不正です"},
    {"BrokenContinuedHex", "\"B\"=hex:01,\\\r\n  1z", "registry.reg:3: 16 進の並びが不正です"},
    {"LongDword", "\"D\"=dword:123456789", "registry.reg:3: dword が不正です (16 進 1〜8 桁)"},
    {"StrayWord", "stray", "registry.reg:3: 解釈できない行です"},
    {"UnterminatedString", "\"S\"=\"abc", "registry.reg:3: 文字列が閉じていません"},
    {"NoEquals", "\"S\" \"abc\"", "registry.reg:3: 値の名前の後に '=' がありません"},
    {"UnknownKind", "\"S\"=word:1", "registry.reg:3: データの種類が不明です"},
    {"RootDeletion", "[-HKEY_LOCAL_MACHINE]", "registry.reg:3: ルートキーは削除できません"},
    {"MissingBracket", "[HKEY_LOCAL_MACHINE\\K", "registry.reg:3: キーの終わりに ']' がありません"},
};

class MalformedTest : public ::testing::TestWithParam<MalformedRow> {};

TEST_P(MalformedTest, IsReportedHasNoEffectAndSurvivesChanges) {
    const MalformedRow& row = GetParam();
    const std::string text =
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n" + std::string(row.line) + "\r\n\"After\"=\"1\"\r\n";
    RegistryDocument doc = RegistryDocument::parse(text);
    ASSERT_FALSE(doc.malformedLines().empty());
    EXPECT_EQ(doc.malformedLines().front().text(), row.report);
    EXPECT_EQ(doc.text(), text);
    const RegKey* key = doc.tree().find({HKLM, "K"});
    ASSERT_TRUE(key);
    EXPECT_EQ(key->values().size(), doc.malformedLines().size() == 1 ? 1u : 0u);

    doc.apply({Change::Kind::RemoveKey, {HKLM, "K"}, {}});
    doc.apply({Change::Kind::SetValue, {HKLM, "New"}, {"V", RegString, "x\0"s}});
    EXPECT_NE(doc.text().find(row.line), std::string::npos) << doc.text();
}

INSTANTIATE_TEST_SUITE_P(Rows, MalformedTest, ::testing::ValuesIn(MalformedRows),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(RegistryDocument, ValueLinesOutsideAKeyAreReportedWithTheirLine) {
    const auto doc = RegistryDocument::parse("REGEDIT4\n\"A\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\K]\n\n\"B\"="
                                             "\"2\"\n[HKEY_LOCAL_MACHINE\\K]\n\"C\"=\"3\"\n");
    ASSERT_EQ(doc.malformedLines().size(), 2u);
    EXPECT_EQ(doc.malformedLines()[0].text(), "registry.reg:2: キーの見出しの外にある値の行です");
    EXPECT_EQ(doc.malformedLines()[1].text(), "registry.reg:5: キーの見出しの外にある値の行です");
    EXPECT_EQ(doc.tree().find({HKLM, "K"})->values().size(), 1u);
}

// Windows keeps keys at most 512 levels deep: a deeper key is a malformed line, however deep.
TEST(RegistryDocument, KeyDeeperThanWindowsKeepsIsMalformed) {
    const auto deep = [](std::size_t levels) {
        std::string text = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE";
        for (std::size_t i = 0; i < levels; ++i)
            text += "\\a";
        return text + "]\r\n\"V\"=\"1\"\r\n";
    };
    KeyPath path{HKLM};
    path.resize(513, "a");
    EXPECT_TRUE(RegistryDocument::parse(deep(512)).tree().find(path)->value("V"));
    for (const std::size_t levels : {513u, 300000u}) {
        const auto doc = RegistryDocument::parse(deep(levels));
        ASSERT_EQ(doc.malformedLines().size(), 2u);
        EXPECT_EQ(doc.malformedLines()[0].text(), "registry.reg:2: キーの階層が深すぎます (512 まで)");
        EXPECT_EQ(doc.malformedLines()[1].text(), "registry.reg:3: キーの見出しの外にある値の行です");
        EXPECT_EQ(doc.tree().child(HKLM), nullptr);
    }
}

struct RejectRow {
    const char* label;
    std::string_view bytes;
    const char* reason;
};

const RejectRow RejectRows[] = {
    {"Empty", "", "空のファイルで、REGEDIT4 の見出しがありません"},
    {"OtherHeader", "Windows Registry Editor Version 5.00\r\n", "1 行目が REGEDIT4 ではありません"},
    {"Utf8Bom", "\xEF\xBB\xBFREGEDIT4\r\n", "1 行目が REGEDIT4 ではありません"},
    {"NoHeader", "[HKEY_LOCAL_MACHINE\\K]\r\n", "1 行目が REGEDIT4 ではありません"},
    {"BlankAfterHeader", "REGEDIT4 \r\n", "1 行目が REGEDIT4 ではありません"},
    {"BlankLineBeforeHeader", "\r\nREGEDIT4\r\n", "1 行目が REGEDIT4 ではありません"},
    {"Utf16Bom", "\xFF\xFER\0E\0"sv,
     "UTF-16 のテキストで、REGEDIT4 形式ではありません (Windows 2000 以降の "
     "regedit では、エクスポートでファイルの種類に Win9x/NT4 を選ぶと "
     "REGEDIT4 で書き出せます)"},
    {"Utf16NoBom", "R\0E\0G\0"sv,
     "UTF-16 のテキストで、REGEDIT4 形式ではありません (Windows 2000 以降の "
     "regedit では、エクスポートでファイルの種類に Win9x/NT4 を選ぶと "
     "REGEDIT4 で書き出せます)"},
    {"Binary", "REGEDIT4\r\n\0\0\x01\x02"sv, "バイナリデータで、REGEDIT4 形式ではありません"},
};

class RejectTest : public ::testing::TestWithParam<RejectRow> {};

TEST_P(RejectTest, WholeFileIsRefusedWithTheReason) {
    try {
        RegistryDocument::parse(GetParam().bytes, "m/registry.reg");
        FAIL() << "accepted";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.message().source), GetParam().reason);
        EXPECT_EQ(std::string(e.what()), std::string("m/registry.reg: ") + GetParam().reason);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RejectTest, ::testing::ValuesIn(RejectRows),
                         [](const auto& info) { return std::string(info.param.label); });

struct DiffRow {
    const char* label;
    std::string_view before;
    Change change;
    std::string_view after;
};

const DiffRow DiffRows[] = {
    {"ReplaceKeepsLineEnd",
     "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n;x\n\"A\"=\"1\"\n\"B\"=\"2\"\n",
     {Change::Kind::SetValue, {HKLM, "k"}, {"a", RegString, "0\0"s}},
     "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n;x\n\"A\"=\"0\"\n\"B\"=\"2\"\n"},
    {"ReplaceEffectiveDefinition",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=-\r\n",
     {Change::Kind::SetValue, {HKLM, "K"}, {"A", RegNumber, "\x10\0\0\0"s}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=dword:"
     "00000010\r\n"},
    {"NewValueBeforeTrailingBlanks",
     "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\L]\r\n",
     {Change::Kind::SetValue, {HKLM, "K"}, {"B", RegBinary, "\x01\xff"s}},
     "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n\"B\"=hex:01,ff\r\n\r\n[HKEY_LOCAL_"
     "MACHINE\\L]\r\n"},
    {"NewValueAfterLaterDeletion",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n[-HKEY_LOCAL_MACHINE\\K]\r\n[HKEY_LOCAL_MACHINE\\K\\S]\r\n",
     {Change::Kind::SetValue, {HKLM, "k"}, {"A", RegString, "1\0"s}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n[-HKEY_LOCAL_MACHINE\\K]\r\n[HKEY_LOCAL_MACHINE\\K\\S]\r\n\r\n"
     "[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n"},
    {"NewKeyWithoutFinalLineEnd",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"",
     {Change::Kind::CreateKey, {HKLM, "K", "\x83\x5C"}, {}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\K\\\x83\x5C]\r\n"},
    {"AfterBackslashOnLastLine",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01,\\ ; more",
     {Change::Kind::SetValue, {HKLM, "K"}, {"C", RegBinary, "\x02"s}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01, ; more\r\n\"C\"=hex:02\r\n"},
    {"AfterContinuationIntoSkippedLines",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01,\\\r\n\r\n; c\r\n",
     {Change::Kind::CreateKey, {HKLM, "L"}, {}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"B\"=hex:01,\r\n\r\n; c\r\n\r\n[HKEY_LOCAL_MACHINE\\L]\r\n"},
    {"ExistingKeyIsNoChange",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\\S]\r\n",
     {Change::Kind::CreateKey, {HKLM, "K"}, {}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\\S]\r\n"},
    {"RemoveDropsSubtreeSections",
     "REGEDIT4\r\n; top\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\KK]\r\n\r\n"
     "[HKEY_LOCAL_MACHINE\\K\\S]\r\n\r\n[-HKEY_LOCAL_MACHINE\\K\\T]\r\n[HKEY_LOCAL_MACHINE\\L]\r\n",
     {Change::Kind::RemoveKey, {HKLM, "k"}, {}},
     "REGEDIT4\r\n; top\r\n[HKEY_LOCAL_MACHINE\\KK]\r\n\r\n[HKEY_LOCAL_MACHINE\\L]\r\n"},
    {"TextWithLineBreakBecomesHex1",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n",
     {Change::Kind::SetValue, {HKLM, "K"}, {"\x95\x5C\"", RegString, "a\r\n\0"s}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"\x95\x5C\\\"\"=hex(1):61,0d,0a,00\r\n"},
    {"QuotedWithEscapes",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n",
     {Change::Kind::SetValue, {HKLM, "K"}, {"", RegString, "\\\"\x83\x5C\0"s}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n@=\"\\\\\\\"\x83\x5C\"\r\n"},
    {"LongHexWraps",
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n",
     {Change::Kind::SetValue, {HKLM, "K"}, {"Bin", RegBinary, std::string(30, '\xab')}},
     "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Bin\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,"
     "ab,ab,ab,ab,"
     "ab,\\\r\n  ab,ab,ab,ab,ab,ab,ab,ab\r\n"},
};

class DiffTest : public ::testing::TestWithParam<DiffRow> {};

TEST_P(DiffTest, ChangeRewritesOnlyItsLines) {
    const DiffRow& row = GetParam();
    RegistryDocument doc = RegistryDocument::parse(row.before);
    doc.apply(row.change);
    EXPECT_EQ(doc.text(), row.after);
    EXPECT_EQ(RegistryDocument::parse(doc.text()).tree(), doc.tree());
}

INSTANTIATE_TEST_SUITE_P(Rows, DiffTest, ::testing::ValuesIn(DiffRows),
                         [](const auto& info) { return std::string(info.param.label); });

// Keys come from a pool that a load hands out again from its start once no key lives: a
// document loaded while another lives, and one loaded after all are gone, keep keys of their own.
TEST(RegistryDocument, DocumentsLoadedOneAfterAnotherKeepTheirOwnKeys) {
    const auto file = [](const std::string& tag) {
        std::string text = "REGEDIT4\r\n";
        for (int i = 0; i < 3000; ++i)
            text += "[HKEY_LOCAL_MACHINE\\" + tag + "\\K" + std::to_string(i % 7) + "\\" + std::to_string(i) +
                    "]\r\n\"V\"=\"" + tag + "\"\r\n";
        return text;
    };
    const auto keepsItsKeys = [&](const RegistryDocument& doc, const std::string& tag) {
        return doc.tree() == RegistryDocument::parse(file(tag)).tree();
    };
    auto first = std::make_optional(RegistryDocument::parse(file("a")));
    {
        const auto second = RegistryDocument::parse(file("b"));
        EXPECT_TRUE(keepsItsKeys(*first, "a"));
        EXPECT_TRUE(keepsItsKeys(second, "b"));
    }
    first.reset();
    const auto third = RegistryDocument::parse(file("c"));
    const auto fourth = RegistryDocument::parse(file("d"));
    EXPECT_TRUE(keepsItsKeys(third, "c"));
    EXPECT_TRUE(keepsItsKeys(fourth, "d"));
}

// Random changes over awkward names and data: the saved text always reads back as the tree.
TEST(RegistryDocument, RandomChangesReadBackAsTheTree) {
    const std::vector<std::string> names = {"A", "a", "\x83\x5C", "q\"uo\\te", "", "\x95\x5C\x8E\xA6", "@"};
    const std::vector<std::string> keys = {"K", "k", "\x83\x5C", "L", "Sub"};
    std::mt19937 random(20240613);
    const auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    for (int round = 0; round < 200; ++round) {
        RegistryDocument doc = RegistryDocument::parse(
            "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=\"1\"\r\n[-HKEY_LOCAL_MACHINE\\K\\L]\r\n"
            "[HKEY_LOCAL_MACHINE\\K\\L\\Sub]\r\n\"B\"=hex:01,\\\r\n 02\r\nnoise\r\n[HKEY_USERS\\.DEFAULT]");
        for (int step = 0; step < 25; ++step) {
            KeyPath path{random() % 4 ? HKLM : "HKEY_USERS"};
            for (unsigned depth = random() % 3 + 1; depth > 0; --depth)
                path.push_back(pick(keys));
            Change change{static_cast<Change::Kind>(random() % 3), path, {}};
            std::string data(random() % 40, '\0');
            for (auto& byte : data)
                byte = pick(std::string("a\\\"\x83\x5C\r\0\xff", 9));
            const std::uint32_t types[] = {RegString, RegString, RegNumber, RegBinary, 7};
            const std::uint32_t type = types[random() % 5];
            if (type == RegString && random() % 2)
                data = std::string(data.substr(0, data.find_first_of(std::string("\r\0", 2)))) + '\0';
            change.value = {pick(names), type, type == RegNumber && random() % 2 ? data.substr(0, 4) : data};
            doc.apply(change);
            ASSERT_EQ(RegistryDocument::parse(doc.text()).tree(), doc.tree()) << round << ":" << step << "\n"
                                                                              << doc.text();
        }
    }
}

} // namespace
