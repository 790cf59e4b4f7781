// The configuration text: line breaks, line counting from the end, and the rewrite's file step.
#include "ConfigText.h"
#include "GameTable.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

using namespace std::string_literals;

const GameRow& euro = *findGame("Euro 2000");
const GameRow& highStakes = *findGame("Need For Speed High Stakes");
const std::string card = std::string(FullCardLine);

TEST(ConfigText, LinesOfEveryBreakKind) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string crlf;
        std::size_t count;
        std::string_view last;
    };
    const Row rows[] = {
        {"crlf", "a\r\nb\r\n", "a\r\nb\r\n", 2, "b"},
        {"lf", "a\nb\n", "a\r\nb\r\n", 2, "b"},
        {"cr only", "a\rb\r", "a\r\nb\r\n", 2, "b"},
        {"mixed, no final break", "a\n\r\nb\rc", "a\r\n\r\nb\r\nc", 4, "c"},
        {"empty", "", "", 0, ""},
        {"one break", "\n", "\r\n", 1, ""},
        // A double-byte character whose second byte is "\" stays as it is.
        {"cp932", "\x95\x5c\x8e\xa6\n\x83\x5c", "\x95\x5c\x8e\xa6\r\n\x83\x5c", 2, "\x83\x5c"},
        {"binary", "\x00\xff\r\r\n\x01"s, "\x00\xff\r\n\r\n\x01"s, 3, "\x01"},
    };
    for (const Row& row : rows) {
        const std::string text = toCrLf(row.bytes);
        EXPECT_EQ(text, row.crlf) << row.name;
        EXPECT_EQ(splitLines(text).size(), row.count) << row.name;
        EXPECT_EQ(splitLines(row.bytes).size(), row.count) << row.name;
        EXPECT_EQ(lineFromEnd(text, 1), row.last) << row.name;
    }
}

TEST(ConfigText, LineBeforeTheFirstReadsAsEmpty) {
    EXPECT_EQ(lineFromEnd("a\r\nb\r\n", 2), "a");
    EXPECT_EQ(lineFromEnd("a\r\nb\r\n", 3), "");
    EXPECT_EQ(lineFromEnd("", 6), "");
}

TEST(ConfigText, FileStep) {
    const std::string ten = "0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n";
    struct Row {
        const char* name;
        const GameRow& game;
        std::string bytes;
        std::string result;
        bool present;
    };
    const Row rows[] = {
        {"append after a final break", euro, "[3D]\r\nX\r\n", "[3D]\r\nX\r\n" + card + "\r\n", false},
        {"append without a final break", euro, "[3D]\nX", "[3D]\r\nX\r\n" + card, false},
        {"append to an empty file", euro, "", card + "\r\n", false},
        {"append to a cr-only file", euro, "\x83\x5c\rX\r", "\x83\x5c\r\nX\r\n" + card + "\r\n", false},
        {"card line last", euro, "X\n" + card + "\n", "X\r\n" + card + "\r\n", true},
        {"card line last, no final break", euro, "X\r\n" + card, "X\r\n" + card, true},
        {"card line with a trailing blank", euro, card + " \r\n", card + " \r\n" + card + "\r\n", false},
        {"insert sixth from the end", highStakes, ten,
         "0\r\n1\r\n2\r\n3\r\n4\r\nCARD_ATI Radeon256\r\n5\r\n6\r\n7\r\n8\r\n9\r\n", false},
        {"insert into lf lines", highStakes, "0\n1\n2\n3\n4\n5\n6",
         "0\r\n1\r\nCARD_ATI Radeon256\r\n2\r\n3\r\n4\r\n5\r\n6", false},
        {"five lines: insert at the top", highStakes, "1\n2\n3\n4\n5\n",
         "CARD_ATI Radeon256\r\n1\r\n2\r\n3\r\n4\r\n5\r\n", false},
        {"four lines: position below 0", highStakes, "1\n2\n3\n4\n", "1\r\n2\r\n3\r\n4\r\n", false},
        {"already sixth", highStakes, "CARD_ATI Radeon256\n1\n2\n3\n4\n5\n",
         "CARD_ATI Radeon256\r\n1\r\n2\r\n3\r\n4\r\n5\r\n", true},
        {"elsewhere does not count", highStakes, "x\nCARD_ATI Radeon256\n1\n2\n3\n4\n",
         "x\r\nCARD_ATI Radeon256\r\nCARD_ATI Radeon256\r\n1\r\n2\r\n3\r\n4\r\n", false},
    };
    for (const Row& row : rows) {
        const FileStepResult step = applyFileStep(row.game, row.bytes);
        EXPECT_EQ(step.text, row.result) << row.name;
        EXPECT_EQ(step.alreadyPresent, row.present) << row.name;
        if (!row.present && row.result != toCrLf(row.bytes)) {
            EXPECT_TRUE(hasExpectedLine(row.game, step.text)) << row.name;
        }
    }
}

} // namespace
