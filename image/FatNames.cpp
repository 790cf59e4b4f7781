#include "FatNames.h"

#include "Cp932.h"
#include "LittleEndian.h"

#include <algorithm>
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

bool isShortNameChar(char c) {
    return static_cast<unsigned char>(c) < 0x80 &&
           (std::isalnum(static_cast<unsigned char>(c)) ||
            std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos);
}

// Copies part upper-cased into out from at; false when a character cannot stand in a short name.
bool putShortPart(std::string& out, std::string_view part, std::size_t at) {
    for (char c : part) {
        if (!isShortNameChar(c))
            return false;
        out[at++] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return true;
}

// Adds one part of a path to parts: ".." climbs, "." and empty parts are nothing. False when
// the path climbs above the root.
bool addPathPart(std::vector<std::string>& parts, const std::string& part) {
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

std::optional<std::string> plainShortName(std::string_view name) {
    const auto dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string_view::npos)
        return std::nullopt;
    std::string out(11, ' ');
    if (!putShortPart(out, base, 0) || !putShortPart(out, ext, 8))
        return std::nullopt;
    return out;
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

} // namespace kv::image::fatname
