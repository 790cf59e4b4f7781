#include "RegistryDocument.h"

#include "Cp932.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

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
    return s.size() >= prefix.size() && cp932::fold(s.substr(0, prefix.size())) == prefix;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
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
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view token = trimRight(trimLeft(list.substr(0, comma)));
        if (token.empty() || token.size() > 2)
            return false;
        const auto byte = parseHexNumber(token);
        if (!byte)
            return false;
        out += static_cast<char>(*byte);
        if (comma == std::string_view::npos)
            return true;
        list = list.substr(comma + 1);
        if (trimLeft(list).empty())
            return true;
    }
}

// Reads a quoted string starting after its opening quote: \\ and \" are the escapes, and the
// second byte of a double-byte character is never one. Returns the position after the closing
// quote, or npos when there is none.
std::size_t readQuoted(std::string_view s, std::size_t pos, std::string& out) {
    while (pos < s.size()) {
        const std::size_t len = cp932::charLength(s, pos);
        if (len == 2) {
            out.append(s.substr(pos, 2));
        } else if (s[pos] == '"') {
            return pos + 1;
        } else if (s[pos] == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out += s[pos + 1];
            ++pos;
        } else {
            out += s[pos];
        }
        pos += len;
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
    std::size_t i = 0;
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

KeyPath foldPath(const KeyPath& path) {
    KeyPath out;
    out.reserve(path.size());
    for (const auto& part : path)
        out.push_back(cp932::fold(part));
    return out;
}

bool hasPrefix(const KeyPath& path, const KeyPath& prefix) {
    return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

void rejectIfNotText(std::string_view text, std::string_view fileName) {
    const auto fail = [&](const char* reason) { throw RegistryFileError(std::string(fileName), reason); };
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        fail("UTF-16 text, not REGEDIT4");
    if (text.find('\0') != std::string_view::npos) {
        const bool utf16 = text.size() >= 2 && ((text[0] == '\0') != (text[1] == '\0'));
        fail(utf16 ? "UTF-16 text, not REGEDIT4" : "binary content, not REGEDIT4");
    }
    if (text.empty())
        fail("empty file, the REGEDIT4 header is missing");
    const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    if (trimRight(first) != Header)
        fail("the first line is not REGEDIT4");
}

struct ParsedValue {
    std::string name;
    bool deletion = false;
    std::uint32_t type = RegString;
    std::string data;
};

// The data after "name"=, joined over continuation lines. Returns a reason when it is broken.
std::optional<std::string> parseData(std::string_view data, ParsedValue& out) {
    data = trimLeft(data);
    if (data.empty())
        return "missing data after '='";
    if (data.front() == '"') {
        const std::size_t end = readQuoted(data, 1, out.data);
        if (end == std::string_view::npos)
            return "unterminated string";
        if (!trimRight(data.substr(end)).empty())
            return "text after the string";
        out.data += '\0';
        out.type = RegString;
        return std::nullopt;
    }
    if (data.front() == '-') {
        if (!trimRight(data.substr(1)).empty())
            return "text after '-'";
        out.deletion = true;
        return std::nullopt;
    }
    if (startsWithNoCase(data, "dword:")) {
        const auto n = parseHexNumber(trimRight(data.substr(6)));
        if (!n)
            return "broken dword (1 to 8 hex digits expected)";
        out.type = RegNumber;
        for (int i = 0; i < 4; ++i)
            out.data += static_cast<char>(*n >> (8 * i) & 0xFF);
        return std::nullopt;
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
            return "broken hex(N): kind";
        out.type = *type;
        list = data.substr(close + 2);
    } else {
        return "unknown kind of data";
    }
    if (!parseHexList(list, out.data))
        return "broken hex list";
    return std::nullopt;
}

// "name"= or @=; returns the position of the data, or a reason.
std::optional<std::string> parseName(std::string_view line, ParsedValue& out, std::size_t& dataPos) {
    std::size_t pos = 1;
    if (line.front() == '"') {
        pos = readQuoted(line, 1, out.name);
        if (pos == std::string_view::npos)
            return "unterminated value name";
    }
    while (pos < line.size() && isSpace(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return "missing '=' after the value name";
    dataPos = pos + 1;
    return std::nullopt;
}

struct PhysicalLine {
    std::string_view content;
    std::string_view whole; // with its line end
};

std::vector<PhysicalLine> splitLines(std::string_view text) {
    std::vector<PhysicalLine> lines;
    lines.reserve(text.size() / 24 + 1);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::size_t next = end;
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        lines.push_back({text.substr(pos, end - pos), text.substr(pos, next - pos)});
        pos = next;
    }
    return lines;
}

} // namespace

RegistryFileError::RegistryFileError(std::string file, std::string reason)
    : std::runtime_error(file + ": " + reason)
    , m_file(std::move(file))
    , m_reason(std::move(reason)) {}

RegistryDocument::RegistryDocument() {
    Section preamble;
    preamble.entries.push_back({Entry::Kind::Comment, std::string(Header) + std::string(Crlf)});
    addSection(std::move(preamble));
}

RegistryDocument RegistryDocument::parse(std::string_view text, std::string_view fileName) {
    rejectIfNotText(text, fileName);
    RegistryDocument doc;
    doc.m_sections.clear();
    doc.parseLines(text, fileName);
    return doc;
}

void RegistryDocument::parseLines(std::string_view text, std::string_view fileName) {
    const std::vector<PhysicalLine> lines = splitLines(text);
    const auto report = [&](std::size_t index, const std::string& reason) {
        m_malformed.push_back(std::string(fileName) + ":" + std::to_string(index + 1) + ": " + reason);
    };

    Section preamble;
    preamble.entries.push_back({Entry::Kind::Comment, std::string(lines[0].whole)});
    SectionIt section = addSection(std::move(preamble));
    RegKey* current = nullptr; // the key values go to; none outside a [key] section

    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = trimLeft(lines[i].content);
        Entry entry{Entry::Kind::Blank, std::string(lines[i].whole)};
        if (line.empty()) {
            section->entries.push_back(std::move(entry));
            continue;
        }
        if (line.front() == ';') {
            entry.kind = Entry::Kind::Comment;
            section->entries.push_back(std::move(entry));
            continue;
        }
        if (line.front() == '[') {
            Section next;
            next.header = std::move(entry.text);
            next.kind = Section::Kind::Dead;
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
            KeyPath path = cp932::split(inner);
            const auto hive = std::find_if(Hives.begin(), Hives.end(), [&](std::string_view h) {
                return cp932::equalsIgnoreCase(h, path[0]);
            });
            if (close == std::string_view::npos) {
                report(i, "missing ']' at the end of the key");
            } else if (hive == Hives.end()) {
                report(i, "unknown root key '" + cp932::toUtf8(path[0].substr(0, 40)) + "'");
            } else if (std::any_of(path.begin(), path.end(),
                                   [](const std::string& p) { return p.empty(); })) {
                report(i, "empty key name in the path");
            } else if (deletion && path.size() == 1) {
                report(i, "a root key cannot be deleted");
            } else {
                path[0] = std::string(*hive);
                next.folded = foldPath(path);
                if (deletion) {
                    next.kind = Section::Kind::Deletion;
                    if (RegKey* parent = m_top.find(KeyPath(path.begin(), path.end() - 1)))
                        parent->removeChild(path.back());
                } else {
                    next.kind = Section::Kind::Key;
                    current = &m_top.ensure(path);
                }
            }
            section = addSection(std::move(next));
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            entry.kind = Entry::Kind::Malformed;
            report(i, "unexpected text");
            section->entries.push_back(std::move(entry));
            continue;
        }

        const std::size_t first = i;
        ParsedValue value;
        std::size_t dataPos = 0;
        std::optional<std::string> problem = parseName(line, value, dataPos);
        if (!problem) {
            std::string data(line.substr(dataPos));
            if (startsWithNoCase(trimLeft(data), "hex")) {
                // Hex data goes on over the next lines while a line ends in "\". One on the
                // file's last line continues onto nothing: it reads as an empty line, which is
                // what it becomes once anything is written after it.
                for (bool continues = endsInBackslash(data); continues;
                     continues = endsInBackslash(lines[i].content)) {
                    data = std::string(trimRight(data));
                    data.pop_back();
                    if (i + 1 == lines.size()) {
                        entry.open = true;
                        break;
                    }
                    ++i;
                    data += lines[i].content;
                    entry.text += lines[i].whole;
                }
            }
            problem = parseData(data, value);
        }
        if (problem) {
            entry.kind = Entry::Kind::Malformed;
            report(first, *problem);
        } else if (!current) {
            entry.kind = Entry::Kind::Ignored;
            report(first, "value line outside a key section");
        } else {
            if (value.deletion) {
                entry.kind = Entry::Kind::ValueDeletion;
                current->removeValue(value.name);
            } else {
                entry.kind = Entry::Kind::Value;
                current->setValue(value.name, value.type, std::move(value.data));
            }
            section->lastDefinition[cp932::fold(value.name)] = section->entries.size();
        }
        section->entries.push_back(std::move(entry));
    }
}

RegistryDocument::SectionIt RegistryDocument::addSection(Section section) {
    section.order = m_nextOrder++;
    const auto it = m_sections.insert(m_sections.end(), std::move(section));
    if (it->kind == Section::Kind::Key)
        m_index[it->folded].sections.push_back(it);
    else if (it->kind == Section::Kind::Deletion)
        m_index[it->folded].deletions.push_back(it);
    return it;
}

std::string RegistryDocument::text() const {
    std::size_t size = 0;
    for (const auto& section : m_sections) {
        size += section.header.size();
        for (const auto& entry : section.entries)
            size += entry.text.size();
    }
    std::string out;
    out.reserve(size);
    for (const auto& section : m_sections) {
        out += section.header;
        for (const auto& entry : section.entries)
            out += entry.text;
    }
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

std::uint64_t RegistryDocument::lastDeletionAffecting(const KeyPath& folded) const {
    std::uint64_t last = 0;
    KeyPath prefix;
    for (const auto& part : folded) {
        prefix.push_back(part);
        const auto it = m_index.find(prefix);
        if (it != m_index.end() && !it->second.deletions.empty())
            last = std::max(last, it->second.deletions.back()->order);
    }
    return last;
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
    const KeyPath folded = foldPath(path);
    const auto indexed = keyExisted ? m_index.find(folded) : m_index.end();
    if (indexed == m_index.end()) {
        appendKeySection(path, &value);
        return;
    }
    const std::uint64_t deleted = lastDeletionAffecting(folded);
    const std::string name = cp932::fold(value.name);
    auto& sections = indexed->second.sections;
    for (auto s = sections.rbegin(); s != sections.rend() && (*s)->order > deleted; ++s) {
        const auto def = (*s)->lastDefinition.find(name);
        if (def == (*s)->lastDefinition.end())
            continue;
        Entry& entry = (*s)->entries[def->second];
        const std::string_view eol = lineEnd(entry.text);
        entry.text = formatValue(value, eol.empty() ? Crlf : eol);
        if (eol.empty())
            entry.text.resize(entry.text.size() - Crlf.size());
        entry.kind = Entry::Kind::Value;
        entry.open = false;
        return;
    }
    if (sections.empty() || sections.back()->order <= deleted) {
        appendKeySection(path, &value);
        return;
    }
    // At the end of the key's last section, before the blank lines that part it from the next.
    Section& section = *sections.back();
    std::size_t at = section.entries.size();
    while (at > 0 && section.entries[at - 1].kind == Entry::Kind::Blank)
        --at;
    if (at > 0)
        closeContinuation(section.entries[at - 1]);
    std::string& before = at > 0 ? section.entries[at - 1].text : section.header;
    if (lineEnd(before).empty())
        before += Crlf;
    section.entries.insert(section.entries.begin() + static_cast<std::ptrdiff_t>(at),
                           Entry{Entry::Kind::Value, formatValue(value, lineEnd(before))});
    section.lastDefinition[name] = at;
}

// Ends an open continuation with the empty line it was read as, so that nothing written after
// it is taken for more of its data.
void RegistryDocument::closeContinuation(Entry& entry) {
    if (!entry.open)
        return;
    if (lineEnd(entry.text).empty())
        entry.text += Crlf;
    entry.text += Crlf;
    entry.open = false;
}

std::string* RegistryDocument::lastLineOfFile() {
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (!it->entries.empty())
            return &it->entries.back().text;
        if (!it->header.empty())
            return &it->header;
    }
    return nullptr;
}

void RegistryDocument::appendKeySection(const KeyPath& path, const RegValue* value) {
    if (std::string* last = lastLineOfFile()) {
        if (lineEnd(*last).empty())
            *last += Crlf;
        Section& tail = m_sections.back();
        if (!tail.entries.empty() && tail.entries.back().open) {
            closeContinuation(tail.entries.back()); // it now ends in a blank line
        } else if (tail.entries.empty() || tail.entries.back().kind != Entry::Kind::Blank) {
            tail.entries.push_back({Entry::Kind::Blank, std::string(Crlf)});
        }
    }
    Section section;
    section.kind = Section::Kind::Key;
    section.header += '[';
    section.header += joinPath(spelledPath(path));
    section.header += ']';
    section.header += Crlf;
    section.folded = foldPath(path);
    if (value) {
        section.entries.push_back({Entry::Kind::Value, formatValue(*value, Crlf)});
        section.lastDefinition[cp932::fold(value->name)] = 0;
    }
    addSection(std::move(section));
}

void RegistryDocument::removeKey(const KeyPath& path) {
    const KeyPath folded = foldPath(path);
    const auto drop = [&](SectionIt s) {
        // Lines broken in themselves do nothing wherever they stand: keep them.
        std::vector<Entry> kept;
        for (auto& entry : s->entries)
            if (entry.kind == Entry::Kind::Malformed)
                kept.push_back(std::move(entry));
        if (kept.empty()) {
            m_sections.erase(s);
            return;
        }
        s->kind = Section::Kind::Dead;
        s->header.clear();
        s->folded.clear();
        s->entries = std::move(kept);
        s->lastDefinition.clear();
    };
    for (auto it = m_index.lower_bound(folded); it != m_index.end() && hasPrefix(it->first, folded);) {
        for (SectionIt s : it->second.sections)
            drop(s);
        for (SectionIt s : it->second.deletions)
            drop(s);
        it = m_index.erase(it);
    }
    // The parent may have stood only through the sections just dropped.
    const KeyPath parent(path.begin(), path.end() - 1);
    if (!parent.empty() && !isWritten(foldPath(parent)))
        appendKeySection(parent, nullptr);
}

bool RegistryDocument::isWritten(const KeyPath& folded) const {
    const std::uint64_t deleted = lastDeletionAffecting(folded);
    for (auto it = m_index.lower_bound(folded); it != m_index.end() && hasPrefix(it->first, folded); ++it)
        if (!it->second.sections.empty() && it->second.sections.back()->order > deleted)
            return true;
    return false;
}

} // namespace kv
