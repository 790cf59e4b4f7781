// The game gamma value DALGameGammaScale (0x00RRGGBB) and its text forms, without widgets.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

struct GammaChannels {
    static constexpr int Minimum = 64;  // 0x40
    static constexpr int Maximum = 128; // 0x80
    static constexpr int Default = 116; // 0x74

    int red = Default;
    int green = Default;
    int blue = Default;

    // Splits a stored value with truncating division, as the driver's value is signed; the
    // channels may lie outside Minimum..Maximum (and be negative) until clamped.
    static GammaChannels split(std::int32_t value);
    std::int32_t value() const { return red * 65536 + green * 256 + blue; }
    // The brightness the three channels average to, truncated.
    int average() const { return (red + green + blue) / 3; }

    static int clamp(int channel);
    // A bar position as a field shows it: two upper-case hex digits ("74").
    static std::string positionText(int position);
    // The whole value as Edit5 shows it: "0x00747474".
    static std::string valueText(std::int32_t value);

    bool operator==(const GammaChannels&) const = default;
};

} // namespace kv
