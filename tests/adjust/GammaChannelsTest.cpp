// The gamma value's arithmetic and text forms.
#include "GammaChannels.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct SplitCase {
    const char* name;
    std::int32_t stored;
    GammaChannels channels;
    int average;
};

TEST(GammaChannelsTest, SplitsWithTruncatingDivision) {
    const SplitCase cases[] = {
        {"default", 0x00747474, {116, 116, 116}, 116},     {"apart", 0x00805040, {128, 80, 64}, 90},
        {"red out of range", 0x00FF0000, {255, 0, 0}, 85}, {"negative", -66051, {-1, -2, -3}, -2},
        {"above 24 bits", 0x01020304, {258, 3, 4}, 88},
    };
    for (const SplitCase& c : cases) {
        const GammaChannels channels = GammaChannels::split(c.stored);
        EXPECT_EQ(channels, c.channels) << c.name;
        EXPECT_EQ(channels.average(), c.average) << c.name;
        EXPECT_EQ(channels.value(), c.stored) << c.name;
    }
}

TEST(GammaChannelsTest, TextForms) {
    EXPECT_EQ(GammaChannels::positionText(64), "40");
    EXPECT_EQ(GammaChannels::positionText(90), "5A");
    EXPECT_EQ(GammaChannels::positionText(128), "80");
    EXPECT_EQ(GammaChannels::valueText(0x00747474), "0x00747474");
    EXPECT_EQ(GammaChannels::valueText(GammaChannels{128, 80, 64}.value()), "0x00805040");
    EXPECT_EQ(GammaChannels::valueText(-1), "0xFFFFFFFF");
}

} // namespace
