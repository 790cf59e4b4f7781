// The hash of a key's name, and the sums a stored hash may hold for a name with double-byte
// characters.
#include "Cp932.h"
#include "HiveFormat.h"

namespace kv::hive {

namespace {

std::uint32_t asCapital(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

// A name's sum in its three readings: trail bytes below 0x80 counted as they are, folded as
// letters, or left out.
struct Sums {
    std::uint32_t plain = 0, folded = 0, without = 0;
};

Sums sumsOf(std::string_view name) {
    // Byte by byte, every byte below 0x80 folded: the folded reading, and all three for a name
    // without double-byte characters, which is nearly every name.
    std::uint32_t folded = 0;
    unsigned char high = 0;
    for (const char byte : name) {
        const auto c = static_cast<unsigned char>(byte);
        folded += c < 0x80 ? asCapital(c) : 0;
        high |= c;
    }
    Sums sums{folded, folded, folded};
    if (high < 0x80)
        return sums;
    for (std::size_t i = 0; i + 1 < name.size(); ++i) {
        if (!cp932::isLeadByte(static_cast<unsigned char>(name[i])))
            continue;
        const auto trail = static_cast<unsigned char>(name[++i]);
        if (trail < 0x80) {
            sums.plain += trail - asCapital(trail);
            sums.without -= asCapital(trail);
        }
    }
    return sums;
}

} // namespace

std::uint32_t nameHash(std::string_view name) {
    return sumsOf(name).plain;
}

bool hashFits(std::string_view name, std::uint32_t stored) {
    const Sums sums = sumsOf(name);
    return stored == sums.plain || stored == sums.folded || stored == sums.without;
}

} // namespace kv::hive
