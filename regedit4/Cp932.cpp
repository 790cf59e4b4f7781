#include "Cp932.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace cp932 {

std::string fold(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = charLength(out, i);
        if (len == 1 && out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += len;
    }
    return out;
}

namespace {

// Walks a name's bytes as fold() would leave them.
class FoldedBytes {
public:
    explicit FoldedBytes(std::string_view s)
        : m_s(s) {}
    bool done() const { return m_i >= m_s.size(); }
    unsigned char next() {
        const auto c = static_cast<unsigned char>(m_s[m_i++]);
        if (m_trail) {
            m_trail = false;
            return c;
        }
        if (isLeadByte(c) && m_i < m_s.size()) {
            m_trail = true;
            return c;
        }
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    }

private:
    std::string_view m_s;
    std::size_t m_i = 0;
    bool m_trail = false;
};

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoringCase(a, b) == 0;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
    // Plain ASCII first, the common case; up to the first byte above it no character can have
    // begun with a lead byte, so the walk by characters may start there.
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    // Eight bytes at a time while they are plain ASCII, up to the first that differ.
    for (std::uint64_t x = 0, y = 0; i + 8 <= common; i += 8) {
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if ((x | y) & 0x8080808080808080u)
            break;
        if (x != y) {
            i += static_cast<std::size_t>(std::endian::native == std::endian::little ? std::countr_zero(x ^ y)
                                                                                      : std::countl_zero(x ^ y)) /
                 8;
            break;
        }
    }
    while (i < common && a[i] == b[i] && !(static_cast<unsigned char>(a[i]) & 0x80))
        ++i; // names compared mostly share a long start of the same spelling
    for (; i < common; ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80)
            break;
        x = static_cast<unsigned char>(static_cast<unsigned>(x - 'A') < 26u ? x | 0x20 : x);
        y = static_cast<unsigned char>(static_cast<unsigned>(y - 'A') < 26u ? y | 0x20 : y);
        if (x != y)
            return x < y ? -1 : 1;
    }
    FoldedBytes x(a.substr(i)), y(b.substr(i));
    while (!x.done() && !y.done()) {
        const unsigned char cx = x.next(), cy = y.next();
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.done() ? (y.done() ? 0 : -1) : 1;
}

std::size_t hashIgnoringCase(std::string_view name) {
    // Lowering every ASCII capital, trail bytes included, hashes fold(name) the same way and
    // needs no walk by characters.
    std::size_t h = 14695981039346656037ull; // FNV-1a
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        h = (h ^ (static_cast<unsigned>(b - 'A') < 26u ? b | 0x20u : b)) * 1099511628211ull;
    }
    return h;
}

std::size_t findChar(std::string_view s, char c, std::size_t from) {
    if (isLeadByte(static_cast<unsigned char>(c))) {
        for (std::size_t i = from; i < s.size(); i += charLength(s, i))
            if (s[i] == c)
                return i;
        return std::string_view::npos;
    }
    // memchr finds the byte; it is a character of its own unless it trails a lead byte. From
    // a character's start, lead-valued bytes pair up, so an odd run of them right before the
    // byte makes it a trail byte.
    while (from < s.size()) {
        const void* found = std::memchr(s.data() + from, c, s.size() - from);
        if (!found)
            return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - s.data());
        std::size_t run = at;
        while (run > from && isLeadByte(static_cast<unsigned char>(s[run - 1])))
            --run;
        if ((at - run) % 2 == 0)
            return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

std::vector<std::string> split(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t sep = findChar(path, '\\', start);
        if (sep == std::string_view::npos) {
            parts.emplace_back(path.substr(start));
            return parts;
        }
        parts.emplace_back(path.substr(start, sep - start));
        start = sep + 1;
    }
}

namespace {

std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: replace one byte (or one UTF-8 character) and go on.
            std::size_t skip = 1;
            if (std::string_view(from) == "UTF-8")
                while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
                    ++skip;
            out.append(replacement);
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string toUtf8(std::string_view bytes) {
    return convert("UTF-8", "CP932", bytes, "\xEF\xBF\xBD");
}

std::string fromUtf8(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8, "?");
}

} // namespace cp932
