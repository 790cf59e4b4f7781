#include "RegistryDocument.h"

#include "Cp932.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace kv {

namespace {

constexpr std::array<std::string_view, 6> Hives = {
    "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",   "HKEY_USERS",
    "HKEY_CLASSES_ROOT",  "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

constexpr std::string_view Header = "REGEDIT4";
constexpr std::string_view Crlf = "\r\n";

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && cp932::compareIgnoringCase(s.substr(0, prefix.size()), prefix) == 0;
}

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

// 1 to 8 hex digits and nothing else.
std::optional<std::uint32_t> parseHexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

// "01, 02,ff" with an optional trailing comma; an empty list is no bytes.
bool parseHexList(std::string_view list, std::string& out) {
    list = trimRight(trimLeft(list));
    if (list.empty())
        return true;
    out.reserve(out.size() + list.size() / 3 + 1); // "xx," a byte
    // One pass over the bytes: each token is 1 or 2 hex digits with blanks around it, and a
    // comma ends it; after the last comma only blanks may follow.
    const char* p = list.data();
    const char* const end = p + list.size();
    for (;;) {
        while (p < end && isSpace(*p))
            ++p;
        if (end - p > 3 && hexDigit(p[0]) >= 0 && hexDigit(p[1]) >= 0 && p[2] == ',' && !isSpace(p[3])) {
            // "xx," with more after it, as regedit writes them: the common case
            out += static_cast<char>(hexDigit(p[0]) << 4 | hexDigit(p[1]));
            p += 3;
            continue;
        }
        const int high = p < end ? hexDigit(*p) : -1;
        if (high < 0)
            return false;
        ++p;
        int byte = high;
        if (p < end) {
            const int low = hexDigit(*p);
            if (low >= 0) {
                byte = high << 4 | low;
                ++p;
            }
        }
        out += static_cast<char>(byte);
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return true;
        if (*p != ',')
            return false;
        ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return true;
    }
}

// Reads a quoted string starting after its opening quote: \\ and \" are the escapes, and the
// second byte of a double-byte character is never one. Returns the position after the closing
// quote, or npos when there is none.
std::size_t readQuoted(std::string_view s, std::size_t pos, std::string& out) {
    std::size_t run = pos; // bytes from here on are copied as they stand
    while (pos < s.size()) {
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c < 0x80 && c != '"' && c != '\\') {
            ++pos; // a plain single-byte character, the common case
            continue;
        }
        if (c == '"') {
            out.append(s.substr(run, pos - run));
            return pos + 1;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out.append(s.substr(run, pos - run));
            run = pos + 1; // the escaped character starts the next run
            pos += 2;
            continue;
        }
        pos += cp932::charLength(s, pos);
    }
    return std::string_view::npos;
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

// True when the text's last character is a lead byte without its second byte: written between
// quotes it would take the closing quote as its second byte.
bool endsInLoneLeadByte(std::string_view s) {
    std::size_t last = std::string_view::npos;
    std::size_t i = 0;
    while (i < s.size()) {
        last = i;
        i += cp932::charLength(s, i);
    }
    return last != std::string_view::npos && cp932::isLeadByte(static_cast<unsigned char>(s[last])) &&
           last + 1 == s.size();
}

// A string regedit can write between quotes: one terminating NUL and no line break.
bool isQuotable(std::string_view data) {
    if (data.empty() || data.back() != '\0')
        return false;
    const std::string_view text = data.substr(0, data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           !endsInLoneLeadByte(text);
}

// Position of the last "\" standing as a character of its own, if it ends the text.
bool endsInBackslash(std::string_view s) {
    s = trimRight(s);
    if (s.empty() || s.back() != '\\')
        return false; // the walk below is needed only to tell a "\" from a trail byte
    // A byte that cannot lead a character ends one, whether it stands alone or trails: the
    // walk by characters may start after the last such byte before the end.
    std::size_t i = s.size() - 1;
    while (i > 0 && cp932::isLeadByte(static_cast<unsigned char>(s[i - 1])))
        --i;
    std::size_t last = std::string_view::npos;
    while (i < s.size()) {
        last = i;
        i += cp932::charLength(s, i);
    }
    return last != std::string_view::npos && last + 1 == s.size() && s[last] == '\\';
}

std::string_view lineEnd(std::string_view text) {
    if (text.ends_with(Crlf))
        return Crlf;
    if (text.ends_with('\n'))
        return "\n";
    if (text.ends_with('\r'))
        return "\r";
    return {};
}

void rejectIfNotText(std::string_view text, std::string_view fileName) {
    const auto fail = [&](const char* reason) { throw RegistryFileError(std::string(fileName), reason); };
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        fail(QT_TRANSLATE_NOOP("RegistryFile", "UTF-16 のテキストで、REGEDIT4 形式ではありません"));
    if (text.find('\0') != std::string_view::npos) {
        const bool utf16 = text.size() >= 2 && ((text[0] == '\0') != (text[1] == '\0'));
        fail(utf16 ? QT_TRANSLATE_NOOP("RegistryFile", "UTF-16 のテキストで、REGEDIT4 形式ではありません")
                   : QT_TRANSLATE_NOOP("RegistryFile", "バイナリデータで、REGEDIT4 形式ではありません"));
    }
    if (text.empty())
        fail(QT_TRANSLATE_NOOP("RegistryFile", "空のファイルで、REGEDIT4 の見出しがありません"));
    const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    if (trimRight(first) != Header)
        fail(QT_TRANSLATE_NOOP("RegistryFile", "1 行目が REGEDIT4 ではありません"));
}

struct ParsedValue {
    std::string name;
    bool deletion = false;
    std::uint32_t type = RegString;
    std::string data;
};

// The data after "name"=, joined over continuation lines. Returns a reason when it is broken.
const char* parseData(std::string_view data, ParsedValue& out) {
    data = trimLeft(data);
    if (data.empty())
        return QT_TRANSLATE_NOOP("RegistryFile", "'=' の後にデータがありません");
    if (data.front() == '"') {
        const std::size_t end = readQuoted(data, 1, out.data);
        if (end == std::string_view::npos)
            return QT_TRANSLATE_NOOP("RegistryFile", "文字列が閉じていません");
        if (!trimRight(data.substr(end)).empty())
            return QT_TRANSLATE_NOOP("RegistryFile", "文字列の後に余分な文字があります");
        out.data += '\0';
        out.type = RegString;
        return nullptr;
    }
    if (data.front() == '-') {
        if (!trimRight(data.substr(1)).empty())
            return QT_TRANSLATE_NOOP("RegistryFile", "'-' の後に余分な文字があります");
        out.deletion = true;
        return nullptr;
    }
    if (startsWithNoCase(data, "dword:")) {
        const auto n = parseHexNumber(trimRight(data.substr(6)));
        if (!n)
            return QT_TRANSLATE_NOOP("RegistryFile", "dword が不正です (16 進 1〜8 桁)");
        out.type = RegNumber;
        for (int i = 0; i < 4; ++i)
            out.data += static_cast<char>(*n >> (8 * i) & 0xFF);
        return nullptr;
    }
    std::string_view list;
    if (startsWithNoCase(data, "hex:")) {
        out.type = RegBinary;
        list = data.substr(4);
    } else if (startsWithNoCase(data, "hex(")) {
        const std::size_t close = data.find("):");
        const auto type =
            close == std::string_view::npos ? std::nullopt : parseHexNumber(data.substr(4, close - 4));
        if (!type)
            return QT_TRANSLATE_NOOP("RegistryFile", "hex(N): の種類が不正です");
        out.type = *type;
        list = data.substr(close + 2);
    } else {
        return QT_TRANSLATE_NOOP("RegistryFile", "データの種類が不明です");
    }
    if (!parseHexList(list, out.data))
        return QT_TRANSLATE_NOOP("RegistryFile", "16 進の並びが不正です");
    return nullptr;
}

// "name"= or @=; returns the position of the data, or a reason.
const char* parseName(std::string_view line, ParsedValue& out, std::size_t& dataPos) {
    std::size_t pos = 1;
    if (line.front() == '"') {
        pos = readQuoted(line, 1, out.name);
        if (pos == std::string_view::npos)
            return QT_TRANSLATE_NOOP("RegistryFile", "値の名前が閉じていません");
    }
    while (pos < line.size() && isSpace(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return QT_TRANSLATE_NOOP("RegistryFile", "値の名前の後に '=' がありません");
    dataPos = pos + 1;
    return nullptr;
}

// Hands out the physical lines of a text one by one. Lines end in CR LF, LF or CR.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : m_text(text)
        , m_lf(text.find('\n')) {}
    bool done() const { return m_pos >= m_text.size(); }
    std::size_t number() const { return m_number; } // of the line read last, from 1

    // The next line without its line end; whole gets its position and length with the end.
    std::string_view next(std::size_t& start, std::size_t& length) {
        const char* base = m_text.data();
        const std::size_t size = m_text.size();
        if (m_lf != std::string_view::npos && m_lf < m_pos) {
            const void* lf = std::memchr(base + m_pos, '\n', size - m_pos);
            m_lf =
                lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : std::string_view::npos;
        }
        const std::size_t limit = m_lf == std::string_view::npos ? size : m_lf;
        const void* cr = std::memchr(base + m_pos, '\r', limit - m_pos);
        std::size_t end = limit, next = limit == size ? size : limit + 1;
        if (cr) {
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
            next = end + 1 < size && base[end + 1] == '\n' ? end + 2 : end + 1;
        }
        start = m_pos;
        length = next - m_pos;
        m_pos = next;
        ++m_number;
        return m_text.substr(start, end - start);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_lf; // the next LF at or after m_pos; npos when there is none
    std::size_t m_number = 0;
};

// Whether path is prefix itself or a key below it, by "\\"-joined paths without regard to case.
bool isPathOrBelow(std::string_view path, std::string_view prefix) {
    const std::size_t n = prefix.size();
    if (path.size() < n || cp932::compareIgnoringCase(path.substr(0, n), prefix) != 0)
        return false;
    if (path.size() == n)
        return true;
    std::size_t i = 0;
    while (i < n)
        i += cp932::charLength(path, i);
    return i == n && path[n] == '\\';
}

// The value name of an entry's first line, which is known to read as a value line.
std::string entryName(std::string_view text) {
    const std::string_view line = trimLeft(text.substr(0, text.find_first_of("\r\n")));
    ParsedValue value;
    std::size_t dataPos = 0;
    parseName(line, value, dataPos);
    return value.name;
}

} // namespace

RegistryFileError::RegistryFileError(const std::string& file, const char* reason,
                                     std::vector<std::string> args)
    : TranslatableError(Message{file + ": ", "RegistryFile", reason, std::move(args)}) {}

RegistryFileError RegistryFileError::naming(const std::string& file) const {
    return RegistryFileError(file, message().source, message().args);
}

RegistryDocument::RegistryDocument()
    : m_bytes(std::make_unique<const std::string>()) {
    Section preamble;
    preamble.ownsEntries = true;
    preamble.entries.push_back({Entry::Kind::Comment, false, own(std::string(Header) + std::string(Crlf))});
    addSection(std::move(preamble));
}

RegistryDocument RegistryDocument::parse(std::string_view text, std::string_view fileName) {
    return fromBytes(std::string(text), fileName);
}

RegistryDocument RegistryDocument::fromBytes(std::string bytes, std::string_view fileName) {
    rejectIfNotText(bytes, fileName);
    if (bytes.size() >= None)
        throw RegistryFileError(
            std::string(fileName),
            QT_TRANSLATE_NOOP("RegistryFile", "4 GB を超えていて、レジストリの書き出しではありません"));
    RegistryDocument doc;
    doc.m_sections.clear();
    doc.m_index.clear();
    doc.m_indexed = false;
    doc.m_owned.clear();
    doc.m_bytes = std::make_unique<const std::string>(std::move(bytes));
    doc.parseLines(fileName);
    return doc;
}

std::string_view RegistryDocument::view(const Text& text) const {
    if (text.owned != None)
        return m_owned[text.owned];
    return std::string_view(*m_bytes).substr(text.offset, text.length);
}

RegistryDocument::Text RegistryDocument::own(std::string content) {
    m_owned.push_back(std::move(content));
    return Text{0, 0, static_cast<std::uint32_t>(m_owned.size() - 1)};
}

void RegistryDocument::setText(Text& text, std::string content) {
    if (text.owned != None)
        m_owned[text.owned] = std::move(content);
    else
        text = own(std::move(content));
}

std::span<const RegistryDocument::Entry> RegistryDocument::entriesOf(const Section& section) const {
    if (section.ownsEntries)
        return section.entries;
    return std::span<const Entry>(m_entries).subspan(section.first, section.count);
}

std::vector<RegistryDocument::Entry>& RegistryDocument::editEntries(Section& section) {
    if (!section.ownsEntries) {
        const auto from = m_entries.begin() + section.first;
        section.entries.assign(from, from + section.count);
        section.ownsEntries = true;
    }
    return section.entries;
}

std::size_t RegistryDocument::FoldedHash::operator()(std::string_view s) const {
    return cp932::hashIgnoringCase(s);
}

bool RegistryDocument::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && cp932::compareIgnoringCase(a, b) == 0;
}

void RegistryDocument::parseLines(std::string_view fileName) {
    const std::string_view text = *m_bytes;
    LineReader lines(text);
    const auto report = [&](std::size_t number, const char* reason, std::vector<std::string> args = {}) {
        std::string lead(fileName);
        lead += ':';
        lead += std::to_string(number);
        lead += ": ";
        m_malformed.push_back(Message{std::move(lead), "RegistryFile", reason, std::move(args)});
    };
    const auto bytesAt = [](std::size_t start, std::size_t length) {
        return Text{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length), None};
    };
    // Sized once: growing by doubling would hold old and new arrays at once at the peak.
    const auto count = [&](char c) {
        std::size_t n = 0;
        const char* const end = text.data() + text.size();
        for (const char* p = text.data(); p < end; ++n) {
            const void* found = std::memchr(p, c, static_cast<std::size_t>(end - p));
            if (!found)
                break;
            p = static_cast<const char*>(found) + 1;
        }
        return n;
    };
    const std::size_t lineEnds = count('\n'), brackets = count('[');
    m_entries.reserve(lineEnds + 1);
    m_sections.reserve(brackets + 1);

    std::size_t start = 0, length = 0;
    lines.next(start, length);
    m_entries.push_back({Entry::Kind::Comment, false, bytesAt(start, length)});
    Section preamble;
    preamble.count = 1;
    std::uint32_t section = addSection(std::move(preamble));
    RegKey* current = nullptr; // the key values go to; none outside a [key] section
    const auto add = [&](Entry entry) {
        m_entries.push_back(entry);
        ++m_sections[section].count;
    };
    std::string joined; // hex data over continuation lines
    std::vector<std::string_view> parts;
    // The keys of the last [key] section's path: the next section mostly shares its start.
    std::vector<std::pair<std::string_view, RegKey*>> chain;

    while (!lines.done()) {
        const std::string_view content = lines.next(start, length);
        const std::string_view line = trimLeft(content);
        Entry entry{Entry::Kind::Blank, false, bytesAt(start, length)};
        if (line.empty()) {
            add(entry);
            continue;
        }
        if (line.front() == ';') {
            entry.kind = Entry::Kind::Comment;
            add(entry);
            continue;
        }
        if (line.front() == '[') {
            Section next;
            next.kind = Section::Kind::Dead;
            next.header = entry.text;
            next.first = static_cast<std::uint32_t>(m_entries.size());
            current = nullptr;
            std::size_t close = std::string_view::npos;
            for (std::size_t p = 1; p < line.size(); p += cp932::charLength(line, p))
                if (line[p] == ']')
                    close = p;
            std::string_view inner =
                close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            const bool deletion = inner.starts_with('-');
            if (deletion)
                inner.remove_prefix(1);
            parts.clear();
            for (std::size_t from = 0;;) {
                const std::size_t sep = cp932::findChar(inner, '\\', from);
                parts.push_back(inner.substr(from, sep - from));
                if (sep == std::string_view::npos)
                    break;
                from = sep + 1;
            }
            const auto hive = std::find_if(Hives.begin(), Hives.end(), [&](std::string_view h) {
                return cp932::equalsIgnoreCase(h, parts[0]);
            });
            if (close == std::string_view::npos) {
                report(lines.number(), QT_TRANSLATE_NOOP("RegistryFile", "キーの終わりに ']' がありません"));
            } else if (hive == Hives.end()) {
                report(lines.number(), QT_TRANSLATE_NOOP("RegistryFile", "不明なルートキー '%1'"),
                       {cp932::toUtf8(parts[0].substr(0, 40))});
            } else if (std::any_of(parts.begin(), parts.end(),
                                   [](std::string_view p) { return p.empty(); })) {
                report(lines.number(), QT_TRANSLATE_NOOP("RegistryFile", "パスに空のキー名があります"));
            } else if (deletion && parts.size() == 1) {
                report(lines.number(), QT_TRANSLATE_NOOP("RegistryFile", "ルートキーは削除できません"));
            } else {
                parts[0] = *hive;
                next.path = bytesAt(static_cast<std::size_t>(inner.data() - text.data()), inner.size());
                RegKey* key = &m_top;
                if (deletion) {
                    chain.clear(); // the keys it held may be gone
                    next.kind = Section::Kind::Deletion;
                    for (std::size_t p = 0; key && p + 1 < parts.size(); ++p)
                        key = key->child(parts[p]);
                    if (key)
                        key->removeChild(parts.back());
                } else {
                    next.kind = Section::Kind::Key;
                    std::size_t p = 0;
                    while (p < parts.size() && p < chain.size() && chain[p].first == parts[p])
                        key = chain[p++].second;
                    chain.resize(p);
                    for (; p < parts.size(); ++p) {
                        key = &key->ensureChild(parts[p]);
                        chain.emplace_back(parts[p], key);
                    }
                    current = key;
                }
            }
            section = addSection(std::move(next));
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            entry.kind = Entry::Kind::Malformed;
            report(lines.number(), QT_TRANSLATE_NOOP("RegistryFile", "解釈できない行です"));
            add(entry);
            continue;
        }

        const std::size_t first = lines.number();
        ParsedValue value;
        std::size_t dataPos = 0;
        const char* problem = parseName(line, value, dataPos);
        if (!problem) {
            std::string_view data = line.substr(dataPos);
            if (startsWithNoCase(trimLeft(data), "hex") && endsInBackslash(data)) {
                // Hex data goes on over the next lines while a line ends in "\". One on the
                // file's last line continues onto nothing: it reads as an empty line, which is
                // what it becomes once anything is written after it.
                joined.assign(data);
                for (bool continues = true; continues;) {
                    joined.resize(trimRight(joined).size() - 1);
                    if (lines.done()) {
                        entry.open = true;
                        break;
                    }
                    std::size_t more = 0;
                    const std::string_view next = lines.next(more, length);
                    joined += next;
                    entry.text.length = static_cast<std::uint32_t>(more + length - start);
                    continues = endsInBackslash(next);
                }
                data = joined;
            }
            problem = parseData(data, value);
        }
        if (problem) {
            entry.kind = Entry::Kind::Malformed;
            report(first, problem);
        } else if (!current) {
            entry.kind = Entry::Kind::Ignored;
            report(first, QT_TRANSLATE_NOOP("RegistryFile", "キーの見出しの外にある値の行です"));
        } else if (value.deletion) {
            entry.kind = Entry::Kind::ValueDeletion;
            current->removeValue(value.name);
        } else {
            entry.kind = Entry::Kind::Value;
            current->setValue(value.name, value.type, std::move(value.data));
        }
        add(entry);
    }
}

std::uint32_t RegistryDocument::addSection(Section section) {
    const auto index = static_cast<std::uint32_t>(m_sections.size());
    m_sections.push_back(std::move(section));
    if (m_indexed)
        indexSection(index);
    return index;
}

void RegistryDocument::indexSection(std::uint32_t index) {
    Section& section = m_sections[index];
    if (section.kind == Section::Kind::Key)
        section.previous = std::exchange(m_index[view(section.path)].lastSection, index);
    else if (section.kind == Section::Kind::Deletion)
        section.previous = std::exchange(m_index[view(section.path)].lastDeletion, index);
}

void RegistryDocument::buildIndex() {
    if (m_indexed)
        return;
    m_index.reserve(m_sections.size());
    for (std::uint32_t i = 0; i < m_sections.size(); ++i)
        indexSection(i);
    m_indexed = true;
}

std::vector<std::string_view> RegistryDocument::pieces() const {
    std::vector<std::string_view> out;
    // Unchanged lines mostly follow each other in the file: they make one piece.
    std::size_t runStart = 0, runEnd = 0;
    const auto endRun = [&] {
        if (runEnd > runStart)
            out.push_back(std::string_view(*m_bytes).substr(runStart, runEnd - runStart));
    };
    const auto put = [&](const Text& text) {
        if (text.owned == None && text.length == 0)
            return;
        if (text.owned == None && text.offset == runEnd) {
            runEnd += text.length;
            return;
        }
        endRun();
        if (text.owned == None) {
            runStart = text.offset;
            runEnd = text.offset + text.length;
        } else {
            out.push_back(m_owned[text.owned]);
            runStart = runEnd = 0;
        }
    };
    for (const auto& section : m_sections) {
        put(section.header);
        for (const auto& entry : entriesOf(section))
            put(entry.text);
    }
    endRun();
    return out;
}

std::string RegistryDocument::text() const {
    const std::vector<std::string_view> parts = pieces();
    std::size_t size = 0;
    for (const auto part : parts)
        size += part.size();
    std::string out;
    out.reserve(size);
    for (const auto part : parts)
        out += part;
    return out;
}

std::string RegistryDocument::formatValue(const RegValue& value, std::string_view eol) {
    std::string out;
    if (value.name.empty()) {
        out = "@=";
    } else {
        out += '"';
        out += escape(value.name);
        out += "\"=";
    }
    if (value.type == RegString && isQuotable(value.data)) {
        out += '"';
        out += escape(std::string_view(value.data).substr(0, value.data.size() - 1));
        out += '"';
        out += eol;
        return out;
    }
    char buffer[16];
    if (value.type == RegNumber && value.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = n << 8 | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        std::snprintf(buffer, sizeof buffer, "%08x", n);
        out += "dword:";
        out += buffer;
        out += eol;
        return out;
    }
    if (value.type == RegBinary) {
        out += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "%x", value.type);
        out += "hex(";
        out += buffer;
        out += "):";
    }
    // Like regedit: lines of up to about 80 columns, continued with "\" and two spaces.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(value.data[i]));
        out += buffer;
        if (i + 1 == value.data.size())
            break;
        out += ',';
        if (out.size() - lineStart >= 76) {
            out += '\\';
            out += eol;
            lineStart = out.size();
            out += "  ";
        }
    }
    out += eol;
    return out;
}

void RegistryDocument::apply(const Change& change) {
    buildIndex();
    const bool existed = m_top.find(change.path) != nullptr;
    switch (change.kind) {
    case Change::Kind::CreateKey:
        applyChange(m_top, change);
        if (!existed)
            appendKeySection(change.path, nullptr);
        return;
    case Change::Kind::SetValue:
        applyChange(m_top, change);
        setValue(change.path, change.value, existed);
        return;
    case Change::Kind::RemoveKey:
        if (applyChange(m_top, change))
            removeKey(change.path);
        return;
    }
}

std::uint32_t RegistryDocument::lastDeletionAffecting(std::string_view path) const {
    std::uint32_t last = 0;
    for (std::size_t end = 0;; ++end) {
        end = cp932::findChar(path, '\\', end);
        const auto it = m_index.find(path.substr(0, end));
        if (it != m_index.end() && it->second.lastDeletion != None)
            last = std::max(last, it->second.lastDeletion);
        if (end == std::string_view::npos)
            return last;
    }
}

KeyPath RegistryDocument::spelledPath(const KeyPath& path) const {
    KeyPath out;
    const RegKey* key = &m_top;
    for (const auto& part : path) {
        key = key ? key->child(part) : nullptr;
        out.push_back(key ? key->name() : part);
    }
    return out;
}

void RegistryDocument::setValue(const KeyPath& path, const RegValue& change, bool keyExisted) {
    const RegValue& value = *m_top.find(path)->value(change.name); // keeps its first spelling
    const std::string joined = joinPath(path);
    const auto indexed = keyExisted ? m_index.find(joined) : m_index.end();
    if (indexed == m_index.end() || indexed->second.lastSection == None) {
        appendKeySection(path, &value);
        return;
    }
    const std::uint32_t deleted = lastDeletionAffecting(joined);
    const std::uint32_t last = indexed->second.lastSection;
    for (std::uint32_t s = last; s != None && s > deleted; s = m_sections[s].previous) {
        Section& section = m_sections[s];
        const std::span<const Entry> entries = entriesOf(section);
        for (std::size_t i = entries.size(); i-- > 0;) {
            const Entry& found = entries[i];
            if ((found.kind != Entry::Kind::Value && found.kind != Entry::Kind::ValueDeletion) ||
                !cp932::equalsIgnoreCase(entryName(view(found.text)), value.name))
                continue;
            Entry& entry = section.ownsEntries ? section.entries[i] : m_entries[section.first + i];
            const std::string_view eol = lineEnd(view(entry.text));
            std::string text = formatValue(value, eol.empty() ? Crlf : eol);
            if (eol.empty())
                text.resize(text.size() - Crlf.size());
            setText(entry.text, std::move(text));
            entry.kind = Entry::Kind::Value;
            entry.open = false;
            return;
        }
    }
    if (last <= deleted) {
        appendKeySection(path, &value);
        return;
    }
    // At the end of the key's last section, before the blank lines that part it from the next.
    Section& section = m_sections[last];
    std::vector<Entry>& entries = editEntries(section);
    std::size_t at = entries.size();
    while (at > 0 && entries[at - 1].kind == Entry::Kind::Blank)
        --at;
    if (at > 0)
        closeContinuation(entries[at - 1]);
    Text& before = at > 0 ? entries[at - 1].text : section.header;
    if (lineEnd(view(before)).empty())
        setText(before, std::string(view(before)) + std::string(Crlf));
    const Text text = own(formatValue(value, lineEnd(view(before))));
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{Entry::Kind::Value, false, text});
}

// Ends an open continuation with the empty line it was read as, so that nothing written after
// it is taken for more of its data.
void RegistryDocument::closeContinuation(Entry& entry) {
    if (!entry.open)
        return;
    std::string text(view(entry.text));
    if (lineEnd(text).empty())
        text += Crlf;
    text += Crlf;
    setText(entry.text, std::move(text));
    entry.open = false;
}

RegistryDocument::Text* RegistryDocument::lastLineOfFile() {
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (it->ownsEntries ? !it->entries.empty() : it->count > 0)
            return it->ownsEntries ? &it->entries.back().text : &m_entries[it->first + it->count - 1].text;
        if (view(it->header).size() > 0)
            return &it->header;
    }
    return nullptr;
}

void RegistryDocument::appendKeySection(const KeyPath& path, const RegValue* value) {
    // The section that ends the file, leaving out those emptied by a removal.
    auto tail = m_sections.rbegin();
    while (tail != m_sections.rend() && entriesOf(*tail).empty() && view(tail->header).empty())
        ++tail;
    if (tail != m_sections.rend()) {
        Text& last = *lastLineOfFile();
        if (lineEnd(view(last)).empty())
            setText(last, std::string(view(last)) + std::string(Crlf));
        std::vector<Entry>& entries = editEntries(*tail);
        if (!entries.empty() && entries.back().open) {
            closeContinuation(entries.back()); // it now ends in a blank line
        } else if (entries.empty() || entries.back().kind != Entry::Kind::Blank) {
            entries.push_back({Entry::Kind::Blank, false, own(std::string(Crlf))});
        }
    }
    Section section;
    section.kind = Section::Kind::Key;
    section.ownsEntries = true;
    section.header = own("[" + joinPath(spelledPath(path)) + "]" + std::string(Crlf));
    if (value)
        section.entries.push_back({Entry::Kind::Value, false, own(formatValue(*value, Crlf))});
    section.path = own(joinPath(path)); // never changed: the index keeps a view of it
    addSection(std::move(section));
}

void RegistryDocument::removeKey(const KeyPath& path) {
    const auto drop = [&](Section& s) {
        // Lines broken in themselves do nothing wherever they stand: keep them.
        std::vector<Entry> kept;
        for (const auto& entry : entriesOf(s))
            if (entry.kind == Entry::Kind::Malformed)
                kept.push_back(entry);
        s.kind = Section::Kind::Dead;
        s.header = {};
        s.ownsEntries = true;
        s.entries = std::move(kept);
    };
    const std::string joined = joinPath(path);
    for (auto it = m_index.begin(); it != m_index.end();) {
        if (!isPathOrBelow(it->first, joined)) {
            ++it;
            continue;
        }
        for (std::uint32_t s = it->second.lastSection; s != None; s = m_sections[s].previous)
            drop(m_sections[s]);
        for (std::uint32_t s = it->second.lastDeletion; s != None; s = m_sections[s].previous)
            drop(m_sections[s]);
        it = m_index.erase(it);
    }
    // The parent may have stood only through the sections just dropped.
    const KeyPath parent(path.begin(), path.end() - 1);
    if (!parent.empty() && !isWritten(joinPath(parent)))
        appendKeySection(parent, nullptr);
}

bool RegistryDocument::isWritten(std::string_view path) const {
    const std::uint32_t deleted = lastDeletionAffecting(path);
    for (const auto& [name, key] : m_index)
        if (key.lastSection != None && key.lastSection > deleted && isPathOrBelow(name, path))
            return true;
    return false;
}

} // namespace kv
