#include "FatNames.h"

#include "Cp932.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace kv::image::fatname {

namespace {

constexpr unsigned char Deleted = 0xE5;
constexpr std::size_t LongNameOffsets[CharsPerLongEntry] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Adds one part of a path to parts: ".." climbs, "." and empty parts are nothing. False when
// the path climbs above the root.
bool addPathPart(std::vector<std::string>& parts, std::string part) {
    if (part != "." && part != "..")
        part.erase(part.find_last_not_of(". ") + 1); // never a CP932 trail byte
    if (part == "..") {
        if (parts.empty())
            return false;
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
        parts.push_back(part);
    }
    return true;
}

} // namespace

std::uint8_t checksum(std::string_view shortName11) {
    std::uint8_t sum = 0;
    for (char c : shortName11)
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<unsigned char>(c));
    return sum;
}

std::string shortNameOf(std::string_view raw11) {
    std::string base(raw11.substr(0, 8));
    std::string ext(raw11.substr(8, 3));
    if (!base.empty() && static_cast<unsigned char>(base[0]) == 0x05)
        base[0] = static_cast<char>(Deleted);
    base.erase(base.find_last_not_of(' ') + 1);
    ext.erase(ext.find_last_not_of(' ') + 1);
    return ext.empty() ? base : base + "." + ext;
}

std::optional<std::vector<std::string>> pathParts(std::string_view windowsPath) {
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        if (windowsPath[0] != 'C' && windowsPath[0] != 'c')
            return std::nullopt;
        windowsPath.remove_prefix(2);
    }
    std::vector<std::string> parts;
    for (const std::string& piece : cp932::split(windowsPath)) {
        for (std::size_t start = 0, end; start <= piece.size(); start = end + 1) {
            end = std::min(piece.find('/', start), piece.size());
            if (!addPathPart(parts, piece.substr(start, end - start)))
                return std::nullopt;
        }
    }
    return parts;
}

std::u16string longNamePart(std::string_view entry) {
    std::u16string part;
    for (std::size_t at : LongNameOffsets)
        part += static_cast<char16_t>(le::get16(entry, at));
    return part;
}

void putLongNamePart(std::string& entry, std::u16string_view part) {
    for (std::size_t i = 0; i < CharsPerLongEntry; ++i)
        le::put16(entry, LongNameOffsets[i], i < part.size() ? part[i] : 0xFFFF);
}

std::string utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        appendUtf8(out, c);
    }
    return out;
}

bool sameAsciiFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

void stampNow(std::string& entry) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const auto date = static_cast<std::uint32_t>(((std::max(local.tm_year, 80) - 80) << 9) |
                                                 ((local.tm_mon + 1) << 5) | local.tm_mday);
    const auto time =
        static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    le::put16(entry, 22, time);
    le::put16(entry, 24, date);
    le::put16(entry, 18, date);
}

namespace {

constexpr std::size_t MaxLongName = 255;

// Characters a long name may hold but a short one may not: each becomes "_".
bool isLossyInShortName(char c) {
    return std::string_view("+,;=[]").find(c) != std::string_view::npos;
}

// Appends part's CP932 characters to out while they fit in limit bytes, never splitting a
// double-byte character: ASCII is upper-cased (never a trail byte), and a character a short
// name cannot hold becomes "_" (lossy). Returns whether every character fitted.
bool appendShortPart(std::string_view part, std::size_t limit, std::string& out, bool& lossy) {
    for (std::size_t i = 0; i < part.size();) {
        const std::size_t length = cp932::charLength(part, i);
        std::string c(part.substr(i, length));
        if (length == 1 &&
            (isLossyInShortName(c[0]) || cp932::isLeadByte(static_cast<unsigned char>(c[0])))) {
            c = "_";
            lossy = true;
        } else if (length == 1) {
            c[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(c[0])));
        }
        if (out.size() + c.size() > limit)
            return false;
        out += c;
        i += length;
    }
    return true;
}

// The part cut to at most limit bytes, never splitting a double-byte character.
std::string cutToBytes(std::string_view part, std::size_t limit) {
    std::size_t end = 0;
    while (end < part.size() && end + cp932::charLength(part, end) <= limit)
        end += cp932::charLength(part, end);
    return std::string(part.substr(0, end));
}

bool isForbiddenInLongName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos;
}

std::u16string utf16(std::string_view utf8Text) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8Text.size();) {
        const auto lead = static_cast<unsigned char>(utf8Text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < utf8Text.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8Text[i + k]) & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

} // namespace

// Spaces go, and so do leading periods and every period but the last, which starts the
// extension; the name fits exactly when nothing went and nothing was cut or replaced.
ShortNameBasis shortNameBasis(std::string_view name) {
    std::string kept;
    for (char c : name) // neither " " nor "." is ever a CP932 trail byte
        if (c != ' ' && (c != '.' || !kept.empty()))
            kept += c;
    const std::size_t dot = kept.rfind('.');
    std::string base = kept.substr(0, dot);
    std::erase(base, '.');
    const std::string ext = dot == std::string::npos ? std::string() : kept.substr(dot + 1);
    ShortNameBasis basis;
    bool lossy = false;
    const bool baseFits = appendShortPart(base, 8, basis.base, lossy);
    const bool extFits = appendShortPart(ext, 3, basis.ext, lossy);
    const std::size_t dots = static_cast<std::size_t>(std::count(name.begin(), name.end(), '.'));
    basis.exact =
        baseFits && extFits && !lossy && kept.size() == name.size() && dots <= 1 && !basis.base.empty();
    if (basis.base.empty())
        basis.base = "_";
    return basis;
}

std::string shortEntryName(const ShortNameBasis& basis, unsigned n) {
    std::string base = basis.base;
    if (n != 0) {
        const std::string tail = "~" + std::to_string(n);
        base = cutToBytes(base, 8 - tail.size()) + tail;
    }
    std::string out = (base + std::string(8, ' ')).substr(0, 8) + (basis.ext + "   ").substr(0, 3);
    if (static_cast<unsigned char>(out[0]) == Deleted)
        out[0] = 0x05;
    return out;
}

std::optional<std::u16string> longNameOf(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); i += cp932::charLength(name, i))
        if (cp932::charLength(name, i) == 1 && isForbiddenInLongName(name[i]))
            return std::nullopt;
    const std::string text = cp932::toUtf8(name);
    if (name.empty() || cp932::endsInLoneLeadByte(name) || text.find("\xEF\xBF\xBD") != std::string::npos)
        return std::nullopt;
    std::u16string wide = utf16(text);
    if (wide.size() > MaxLongName)
        return std::nullopt;
    return wide;
}

} // namespace kv::image::fatname
