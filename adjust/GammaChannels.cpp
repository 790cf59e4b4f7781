#include "GammaChannels.h"

#include <algorithm>
#include <cstdio>

namespace kv {

GammaChannels GammaChannels::split(std::int32_t value) {
    return {value / 65536, (value % 65536) / 256, value % 256};
}

int GammaChannels::clamp(int channel) {
    return std::clamp(channel, Minimum, Maximum);
}

std::string GammaChannels::positionText(int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(position) & 0xFFu);
    return text;
}

std::string GammaChannels::valueText(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<std::uint32_t>(value));
    return text;
}

} // namespace kv
