// How the card page shows a card database value: text up to the first "(", flags by the "1"
// before the first ")".
#include "CardPage.h"

#include "Cp932.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

TEST(CardPageTest, TextStopsBeforeTheFirstParenthesis) {
    const std::pair<std::string, std::string> cases[] = {
        {"RADEON DDR (0x5144)", "RADEON DDR "},
        {"(0x5144) RADEON", ""},
        {"AGP", "AGP"}, // no "(": the whole value
        {"", ""},
        {"a (b) (c)", "a "},
        {cp932::fromUtf8("標準ソ (NTSC)"), cp932::fromUtf8("標準ソ ")},
    };
    for (const auto& [value, shown] : cases)
        EXPECT_EQ(cardTextShown(value), shown) << value;
}

TEST(CardPageTest, FlagIsSetByTheOneBeforeTheFirstClosingParenthesis) {
    const std::pair<const char*, bool> cases[] = {
        {"Yes (1)", true}, {"No (0)", false}, {")", false},       {"1)", true},
        {"1", false}, // no ")": nothing says set
        {"", false},       {"(1) (0)", true}, {"(0) (1)", false}, {"(11)", true},
    };
    for (const auto& [value, set] : cases)
        EXPECT_EQ(cardFlagSet(value), set) << value;
}

} // namespace
