#include "Cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

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
    const auto name = [&](std::size_t letters = std::string::npos) {
        std::string s(random() % 5, ' ');
        for (auto& c : s)
            c = alphabet[random() % std::min(letters, alphabet.size())];
        return s;
    };
    // Long names share a start, as siblings do, so that the comparison by words is tried too,
    // mostly on plain ASCII.
    const auto sibling = [&](const std::string& start) {
        return start + std::string(random() % 12, 'q') + name(random() % 4 ? 7 : std::string::npos);
    };
    for (int i = 0; i < 40000; ++i) {
        std::string a = name(), b = name();
        if (i % 2) {
            const std::string start = "PRODUCTproduct"s.substr(random() % 14) + name(7);
            a = sibling(start), b = sibling(start);
        }
        if (i % 4 == 1 && !a.empty()) // one letter apart
            (b = a)[random() % a.size()] = alphabet[random() % 7];
        const int folded = cp932::fold(a).compare(cp932::fold(b));
        const int direct = cp932::compareIgnoringCase(a, b);
        ASSERT_EQ(folded < 0, direct < 0) << a << " / " << b;
        ASSERT_EQ(folded == 0, direct == 0) << a << " / " << b;
        if (folded == 0) {
            ASSERT_EQ(cp932::hashIgnoringCase(a), cp932::hashIgnoringCase(b)) << a << " / " << b;
        }
    }
}

// findChar searches with memchr and then decides whether the byte found trails a lead byte;
// a walk by characters is the reference. Runs of lead-valued bytes are what it must count.
TEST(Cp932, FindCharAgreesWithAWalkByCharacters) {
    const std::string alphabet = "\\a\x81\x95\xe0\xfc\x5c\xa6";
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        std::string s(random() % 9, ' ');
        for (auto& c : s)
            c = alphabet[random() % alphabet.size()];
        for (std::size_t from = 0; from <= s.size();
             from += from < s.size() ? cp932::charLength(s, from) : 1) {
            std::size_t expected = std::string_view::npos;
            for (std::size_t p = from; p < s.size(); p += cp932::charLength(s, p))
                if (s[p] == '\\') {
                    expected = p;
                    break;
                }
            ASSERT_EQ(cp932::findChar(s, '\\', from), expected) << s << " from " << from;
        }
    }
}
