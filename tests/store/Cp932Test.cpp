#include "Cp932.h"

#include <gtest/gtest.h>

TEST(Cp932, FoldsOnlySingleByteAsciiLetters) {
    EXPECT_EQ(cp932::fold("AbC\x83\x41Z"), "abc\x83\x41z");
    EXPECT_EQ(cp932::fold("\x82\x60"), "\x82\x60"); // full-width Ａ stays
}

TEST(Cp932, SplitsOnlyAtBackslashCharacters) {
    const auto parts = cp932::split("A\\\x95\x5C\\B");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1], "\x95\x5C");
}

TEST(Cp932, DecodesAndEncodesJapanese) {
    EXPECT_EQ(cp932::toUtf8("\x95\x5C"), "表");
    EXPECT_EQ(cp932::fromUtf8("表示"), "\x95\x5C\x8E\xA6");
    EXPECT_EQ(cp932::toUtf8("a\x81"), "a\xEF\xBF\xBD");
}
