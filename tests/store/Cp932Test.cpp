#include "Cp932.h"

#include <gtest/gtest.h>

#include <random>

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

// The copy-free comparison and hash behind the key tree and the registry file's index must
// agree with fold(): same order, and one hash for names that fold alike.
TEST(Cp932, CompareAndHashAgreeWithFold) {
    const std::string alphabet = "AaZz[`\\\x81\x83\x95\xe0\xa6\x5c\x41\x61";
    std::mt19937 random(7);
    const auto name = [&] {
        std::string s(random() % 5, ' ');
        for (auto& c : s)
            c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = name(), b = name();
        const int folded = cp932::fold(a).compare(cp932::fold(b));
        const int direct = cp932::compareIgnoringCase(a, b);
        ASSERT_EQ(folded < 0, direct < 0) << a << " / " << b;
        ASSERT_EQ(folded == 0, direct == 0) << a << " / " << b;
        if (folded == 0) {
            ASSERT_EQ(cp932::hashIgnoringCase(a), cp932::hashIgnoringCase(b)) << a << " / " << b;
        }
    }
}
