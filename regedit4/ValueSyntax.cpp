#include "ValueSyntax.h"

#include "Cp932.h"
#include "LineClassifier.h"
#include "Message.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace kv {

namespace {

constexpr std::array<signed char, 256> HexDigits = [] {
    std::array<signed char, 256> digits{};
    for (int c = 0; c < 256; ++c)
        digits[static_cast<std::size_t>(c)] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                                                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                                              : -1);
    return digits;
}();

int hexDigit(char c) {
    return HexDigits[static_cast<unsigned char>(c)];
}

// After a value's data only blanks may follow, or a ";" comment.
bool onlyCommentFollows(std::string_view rest) {
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

// A number as regedit reads the bytes of a hex list and the N of hex(N): blanks, a sign, for a
// byte a "0x", then hex digits. Sets end to where reading stopped (p itself when no digit was
// read) and returns the value, saturated above 32 bits.
std::uint64_t readNumber(const char* p, const char* limit, bool allowPrefix, const char*& end) {
    end = p;
    while (p < limit && (isBlank(*p) || *p == '\v' || *p == '\f'))
        ++p;
    const bool negative = p < limit && *p == '-';
    if (p < limit && (*p == '+' || *p == '-'))
        ++p;
    if (allowPrefix && limit - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hexDigit(p[2]) >= 0)
        p += 2;
    std::uint64_t n = 0;
    const char* digits = p;
    for (; p < limit && hexDigit(*p) >= 0; ++p)
        n = std::min<std::uint64_t>(n << 4 | static_cast<unsigned>(hexDigit(*p)), UINT64_C(1) << 32);
    if (p == digits)
        return 0;
    end = p;
    if (negative && n <= UINT32_MAX)
        n = static_cast<std::uint32_t>(-static_cast<std::uint32_t>(n));
    return n;
}

// Reads a quoted string starting after its opening quote: \\ and \" are the escapes, and the
// second byte of a double-byte character is never one. Returns the position after the closing
// quote, or npos when there is none.
std::size_t readQuoted(std::string_view s, std::size_t pos, std::string* out) {
    std::size_t run = pos; // bytes from here on are copied as they stand
    while (pos < s.size()) {
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c < 0x80 && c != '"' && c != '\\') {
            ++pos; // a plain single-byte character, the common case
            continue;
        }
        if (c == '"') {
            if (out)
                out->append(s.substr(run, pos - run));
            return pos + 1;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            if (out)
                out->append(s.substr(run, pos - run));
            run = pos + 1; // the escaped character starts the next run
            pos += 2;
            continue;
        }
        pos += cp932::charLength(s, pos);
    }
    return std::string_view::npos;
}

// 0 to 8 hex digits (none only before a comment), then blanks or a comment.
const char* readDword(std::string_view digits, std::string* data) {
    digits = trimLeft(digits);
    if (digits.empty())
        return QT_TRANSLATE_NOOP("RegistryFile", "dword が不正です (16 進 1〜8 桁)");
    std::size_t count = 0;
    std::uint32_t n = 0;
    for (; count < digits.size() && hexDigit(digits[count]) >= 0; ++count)
        n = n << 4 | static_cast<std::uint32_t>(hexDigit(digits[count]));
    if (count > 8 || !onlyCommentFollows(digits.substr(count)))
        return QT_TRANSLATE_NOOP("RegistryFile", "dword が不正です (16 進 1〜8 桁)");
    if (data)
        for (int i = 0; i < 4; ++i)
            *data += static_cast<char>(n >> (8 * i) & 0xFF);
    return nullptr;
}

const char* readString(std::string_view text, std::string* data) {
    const std::size_t end = readQuoted(text, 1, data);
    if (end == std::string_view::npos)
        return QT_TRANSLATE_NOOP("RegistryFile", "文字列が閉じていません");
    if (!onlyCommentFollows(text.substr(end)))
        return QT_TRANSLATE_NOOP("RegistryFile", "文字列の後に余分な文字があります");
    if (data)
        *data += '\0';
    return nullptr;
}

// hex: or hex(N): and the list's first line. The tags are matched with their case.
const char* readHexData(std::string_view text, ValueLine& out, std::string* data) {
    std::string_view list;
    if (text.starts_with("hex:")) {
        out.type = RegBinary;
        list = text.substr(4);
    } else {
        const char* end = nullptr;
        const char* from = text.data() + 4;
        const std::uint64_t type = text.size() > 5 && (text[5] == 'x' || text[5] == 'X')
                                       ? UINT64_MAX
                                       : readNumber(from, text.data() + text.size(), false, end);
        const std::size_t close = end ? static_cast<std::size_t>(end - text.data()) : 0;
        if (type > UINT32_MAX || close + 1 >= text.size() || text[close] != ')' || text[close + 1] != ':')
            return QT_TRANSLATE_NOOP("RegistryFile", "hex(N): の種類が不正です");
        out.type = static_cast<std::uint32_t>(type);
        list = text.substr(close + 2);
    }
    std::size_t mark = 0;
    out.hex = readHexList(list, data, &mark);
    out.mark = static_cast<std::size_t>(list.data() - text.data()) + mark;
    return out.hex == HexEnd::Invalid ? QT_TRANSLATE_NOOP("RegistryFile", "16 進の並びが不正です") : nullptr;
}

// The data after "name"= and blanks.
const char* readData(std::string_view text, ValueLine& out, std::string* data) {
    text = trimRight(text);
    if (text.empty())
        return QT_TRANSLATE_NOOP("RegistryFile", "'=' の後にデータがありません");
    if (text.front() == '"') {
        out.type = RegString;
        return readString(text, data);
    }
    if (text.front() == '-') {
        out.deletion = true;
        return onlyCommentFollows(text.substr(1))
                   ? nullptr
                   : QT_TRANSLATE_NOOP("RegistryFile", "'-' の後に余分な文字があります");
    }
    if (text.starts_with("dword:")) {
        out.type = RegNumber;
        return readDword(text.substr(6), data);
    }
    if (text.starts_with("hex:") || text.starts_with("hex("))
        return readHexData(text, out, data);
    return QT_TRANSLATE_NOOP("RegistryFile", "データの種類が不明です");
}

std::string escape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = cp932::charLength(s, i);
        if (len == 1 && (s[i] == '\\' || s[i] == '"'))
            out += '\\';
        out.append(s.substr(i, len));
        i += len;
    }
    return out;
}

// A string regedit can write between quotes: one terminating NUL and no line break.
bool isQuotable(std::string_view data) {
    if (data.empty() || data.back() != '\0')
        return false;
    const std::string_view text = data.substr(0, data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           !cp932::endsInLoneLeadByte(text);
}

void appendHexList(std::string& out, std::string_view data, std::string_view eol) {
    // Like regedit: lines of up to about 80 columns, continued with "\" and two spaces.
    char buffer[4];
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(data[i]));
        out += buffer;
        if (i + 1 == data.size())
            break;
        out += ',';
        if (out.size() - lineStart >= 76) {
            out += '\\';
            out += eol;
            lineStart = out.size();
            out += "  ";
        }
    }
}

} // namespace

HexEnd readHexList(std::string_view list, std::string* data, std::size_t* mark) {
    const char* p = list.data();
    const char* const end = p + list.size();
    if (data)
        data->reserve(data->size() + list.size() / 3 + 1); // "xx," a byte
    while (p < end) {
        if (end - p > 2 && hexDigit(p[0]) >= 0 && hexDigit(p[1]) >= 0 && p[2] == ',') {
            // "xx," as regedit writes them: the common case, in one step
            if (data)
                *data += static_cast<char>(hexDigit(p[0]) << 4 | hexDigit(p[1]));
            p += 3;
            continue;
        }
        const char* after = nullptr;
        const std::uint64_t byte = readNumber(p, end, true, after);
        if (byte > 0xFF)
            return HexEnd::Invalid;
        if (after == p) { // no number: the list may end here, or go on over the next line
            while (p < end && isBlank(*p))
                ++p;
            if (p < end && *p == '\\') {
                if (mark)
                    *mark = static_cast<std::size_t>(p - list.data());
                return onlyCommentFollows(std::string_view(p + 1, static_cast<std::size_t>(end - p - 1)))
                           ? HexEnd::Continues
                           : HexEnd::Invalid;
            }
            return p == end || *p == ';' ? HexEnd::Complete : HexEnd::Invalid;
        }
        if (data)
            *data += static_cast<char>(byte);
        if (after < end && *after != ',')
            return onlyCommentFollows(std::string_view(after, static_cast<std::size_t>(end - after)))
                       ? HexEnd::Complete
                       : HexEnd::Invalid;
        p = after < end ? after + 1 : after;
    }
    return HexEnd::Complete;
}

const char* readValueLine(std::string_view whole, ValueLine& out, std::string* name, std::string* data) {
    const std::string_view line = trimLeft(whole);
    std::size_t pos = 1;
    if (line.front() == '"') {
        pos = readQuoted(line, 1, name);
        if (pos == std::string_view::npos)
            return QT_TRANSLATE_NOOP("RegistryFile", "値の名前が閉じていません");
    }
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return QT_TRANSLATE_NOOP("RegistryFile", "値の名前の後に '=' がありません");
    const std::string_view text = trimLeft(line.substr(pos + 1));
    const char* problem = readData(text, out, data);
    out.mark += static_cast<std::size_t>(text.data() - whole.data());
    return problem;
}

bool startsWithHexDigit(std::string_view line) {
    line = trimLeft(line);
    return !line.empty() && hexDigit(line.front()) >= 0;
}

bool cannotContinue(std::string_view line) {
    return !trimRight(line).ends_with('\\') && std::memchr(line.data(), ';', line.size()) == nullptr;
}

std::string formatValue(const RegValue& value, std::string_view eol) {
    std::string out = value.name.empty() ? "@=" : '"' + escape(value.name) + "\"=";
    if (value.type == RegString && isQuotable(value.data)) {
        out += '"';
        out += escape(std::string_view(value.data).substr(0, value.data.size() - 1));
        out += '"';
    } else if (value.type == RegNumber && value.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = n << 8 | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", n);
        out += buffer;
    } else {
        char buffer[24] = "hex:";
        if (value.type != RegBinary)
            std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
        out += buffer;
        appendHexList(out, value.data, eol);
    }
    out += eol;
    return out;
}

} // namespace kv
