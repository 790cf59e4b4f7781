#include "RegistryDocument.h"

#include "Cp932.h"
#include "EntrySplitter.h"
#include "LineStore.h"
#include "RegistryEditor.h"
#include "SectionScanner.h"
#include "ValueSyntax.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <utility>

namespace kv {

namespace {

constexpr std::string_view Header = "REGEDIT4";
// The export of a later Windows's regedit; the reason says how to export REGEDIT4 there.
constexpr const char* Utf16Reason =
    QT_TRANSLATE_NOOP("RegistryFile", "UTF-16 のテキストで、REGEDIT4 形式ではありません (Windows 2000 以降の "
                                      "regedit では、エクスポートでファイルの種類に Win9x/NT4 を選ぶと "
                                      "REGEDIT4 で書き出せます)");
constexpr std::uint32_t None = ValueSource::None;

bool startsAsUtf16(std::string_view text) {
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

// How many "[" the bytes hold: at most one section each, so the sections are sized once, as
// growing by doubling would hold two arrays at the peak. Throws registryFileFailure, naming
// fileName, when the bytes are not REGEDIT4 text. One walk through the file does both.
std::size_t checkTextCountingBrackets(const SourceBytes& bytes, std::string_view fileName) {
    const auto fail = [&](const char* reason) { throw registryFileFailure(fileName, reason); };
    const std::string_view text = bytes.view();
    if (startsAsUtf16(text))
        fail(Utf16Reason);
    std::size_t brackets = 0;
    const bool binary = bytes.walk([&](std::string_view chunk, std::size_t) {
        if (std::memchr(chunk.data(), '\0', chunk.size()))
            return true;
        const char* const end = chunk.data() + chunk.size();
        for (const char* p = chunk.data(); (p = static_cast<const char*>(std::memchr(p, '[', end - p))); ++p)
            ++brackets;
        return false;
    });
    if (binary) {
        const bool utf16 = text.size() >= 2 && ((text[0] == '\0') != (text[1] == '\0'));
        fail(utf16 ? Utf16Reason
                   : QT_TRANSLATE_NOOP("RegistryFile", "バイナリデータで、REGEDIT4 形式ではありません"));
    }
    RegistryDocument::checkOpening(text, fileName);
    if (text.size() >= None)
        fail(QT_TRANSLATE_NOOP("RegistryFile", "4 GB を超えていて、レジストリの書き出しではありません"));
    return brackets;
}

// The keys met so far by their parent and exact spelling. Files seldom list keys in tree order
// all through, and returning to one of a thousand siblings otherwise costs a search by name
// without regard to case. A slot holds the key met last whose name and parent hash to it.
class MetKeys {
public:
    explicit MetKeys(std::size_t sections)
        : m_slots(std::bit_ceil(std::clamp<std::size_t>(sections, 64, 1 << 14))) {}

    RegKey& child(RegKey& parent, std::string_view name) {
        if (RegKey* appended = parent.appendChild(name))
            return *appended; // remembered only when met again, which few new keys are
        Slot& slot = m_slots[(std::hash<std::string_view>{}(name) ^ std::hash<const void*>{}(&parent)) &
                             (m_slots.size() - 1)];
        if (slot.parent != &parent || slot.generation != m_generation || slot.child->name() != name)
            slot = Slot{&parent, &parent.ensureChild(name), m_generation};
        return *slot.child;
    }
    // Keys were removed: what the slots point to may be gone.
    void forget() { ++m_generation; }

private:
    struct Slot {
        const RegKey* parent = nullptr;
        RegKey* child = nullptr;
        std::uint32_t generation = 0;
    };
    std::vector<Slot> m_slots;
    std::uint32_t m_generation = 1;
};

// The length of the bytes two texts start with alike, compared eight at a time.
std::size_t commonStart(std::string_view a, std::string_view b) {
    const std::size_t size = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (std::uint64_t x = 0, y = 0; i + 8 <= size; i += 8) {
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    while (i < size && a[i] == b[i])
        ++i;
    return i;
}

// Builds the keys of the sections in file order, and hands each key the sections its values
// are read from.
class KeyBuilder {
public:
    KeyBuilder(LineStore& lines, RegKey& top, std::size_t sections)
        : m_lines(lines)
        , m_top(top)
        , m_met(sections) {}

    LineStore::Section section(const RawEntry& header) {
        using Effect = SectionLine::Effect;
        LineStore::Section out;
        out.header = m_lines.span(header.offset, header.length);
        out.kind = LineStore::Section::Kind::Dead;
        if (header.section.effect == Effect::CloseKey)
            return out;
        const bool deletion = header.section.effect == Effect::DeleteKey;
        std::size_t shared = deletion ? 0 : sharedParts(header.section.path);
        splitPath(header.section, shared);
        if (m_collapsed && shared > 0)
            splitPath(header.section, shared = 0); // the index needs the whole path spelled anew
        out.path = pathText(header.section.path);
        if (deletion) {
            out.kind = LineStore::Section::Kind::Deletion;
            deleteKey();
        } else {
            out.kind = LineStore::Section::Kind::Key;
            openKey(header.section.path, shared, static_cast<std::uint32_t>(m_lines.sections().size()));
        }
        return out;
    }

private:
    struct Part {
        std::string_view name;
        std::size_t end; // where it ends in the path
    };
    struct Link {
        std::size_t end; // where its name ends in the path of the key opened last
        RegKey* key;
    };

    // How many keys from the hive down the path names as the key opened last did, judged by
    // comparing the two paths' bytes once: files mostly list keys next to their siblings.
    std::size_t sharedParts(std::string_view path) const {
        if (m_chainCollapsed)
            return 0;
        const std::size_t common = commonStart(m_chainPath, path);
        // Up to a name's end both paths have the same bytes, so a "\" after it in this path
        // is a separator there too.
        std::size_t p = m_chain.size();
        while (p > 0 && !(m_chain[p - 1].end <= common &&
                          (m_chain[p - 1].end == path.size() || path[m_chain[p - 1].end] == '\\')))
            --p;
        return p;
    }

    // The key names of a sound path after the first `shared` ones; a run of "\" parts names as
    // one does.
    void splitPath(const SectionLine& section, std::size_t shared) {
        const std::string_view path = section.path;
        m_parts.clear();
        m_collapsed = false;
        std::size_t from = shared == 0 ? section.hive.size() : m_chain[shared - 1].end;
        if (shared == 0)
            m_parts.push_back(Part{section.hive, from});
        for (std::size_t i = ++from; i < path.size();) {
            if (i + 8 <= path.size() && plainWord(path.data() + i)) {
                i += 8;
                continue;
            }
            const auto c = static_cast<unsigned char>(path[i]);
            if (c == '\\') {
                addPart(path, from, i);
                from = i + 1;
            } else if (c > 0x80 && cp932::isLeadByte(c)) {
                ++i; // its trail byte may look like a "\"
            }
            ++i;
        }
        if (from < path.size())
            addPart(path, from, path.size());
    }

    // Whether none of the eight bytes at p is a "\" or a byte that may start a double-byte
    // character: such bytes are passed over eight at a time.
    static bool plainWord(const char* p) {
        constexpr std::uint64_t Ones = 0x0101010101010101u, Highs = 0x8080808080808080u;
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        const std::uint64_t noBackslash = word ^ (Ones * '\\');
        return ((((noBackslash - Ones) & ~noBackslash) | word) & Highs) == 0;
    }

    void addPart(std::string_view path, std::size_t from, std::size_t to) {
        if (to > from)
            m_parts.push_back(Part{path.substr(from, to - from), to});
        else
            m_collapsed = true;
    }

    // The section's path as the index looks it up: a view of the header, unless runs of "\"
    // had to be collapsed.
    LineStore::Text pathText(std::string_view path) {
        if (!m_collapsed)
            return m_lines.span(static_cast<std::size_t>(path.data() - m_lines.bytes().data()), path.size());
        KeyPath names;
        for (const Part& part : m_parts)
            names.emplace_back(part.name);
        return m_lines.own(joinPath(names));
    }

    void openKey(std::string_view path, std::size_t shared, std::uint32_t section) {
        m_chain.resize(shared);
        RegKey* key = shared == 0 ? &m_top : m_chain.back().key;
        for (const Part& part : m_parts) {
            key = &m_met.child(*key, part.name);
            m_chain.push_back(Link{part.end, key});
        }
        m_chainPath = path;
        m_chainCollapsed = m_collapsed;
        const std::uint32_t previous = key->deferValues(m_lines, section);
        if (previous != None)
            m_lines.sections()[previous].nextOfKey = section;
    }

    void deleteKey() {
        m_chain.clear(); // the keys it held may be gone
        m_met.forget();
        RegKey* key = &m_top;
        for (std::size_t p = 0; key && p + 1 < m_parts.size(); ++p)
            key = key->child(m_parts[p].name);
        if (key)
            key->removeChild(m_parts.back().name);
    }

    LineStore& m_lines;
    RegKey& m_top;
    std::vector<Part> m_parts;
    bool m_collapsed = false;
    // The key opened last, from its hive down, with the path that named it.
    std::vector<Link> m_chain;
    std::string_view m_chainPath;
    bool m_chainCollapsed = false;
    MetKeys m_met;
};

} // namespace

void RegistryDocument::checkOpening(std::string_view start, std::string_view fileName) {
    const auto fail = [&](const char* reason) { throw registryFileFailure(fileName, reason); };
    if (startsAsUtf16(start))
        fail(Utf16Reason);
    if (start.empty())
        fail(QT_TRANSLATE_NOOP("RegistryFile", "空のファイルで、REGEDIT4 の見出しがありません"));
    // Blanks may come before the header, as on every line; anything after it makes regedit
    // take the file for another format and import nothing.
    if (trimLeft(start.substr(0, start.find_first_of("\r\n"))) != Header)
        fail(QT_TRANSLATE_NOOP("RegistryFile", "1 行目が REGEDIT4 ではありません"));
}

Failure registryFileFailure(std::string_view file, const char* reason, std::vector<std::string> args,
                            std::error_code systemReason) {
    std::string lead(file);
    lead += ": ";
    return Failure(Message{std::move(lead), "RegistryFile", reason, std::move(args)}, systemReason);
}

Failure namingFile(const Failure& failure, std::string_view file) {
    const Message& message = failure.message();
    return registryFileFailure(file, message.source, message.args, failure.reason());
}

RegistryDocument::RegistryDocument()
    : RegistryDocument(SourceBytes()) {
    LineStore::Section preamble;
    preamble.header = m_lines->own(std::string(Header) + "\r\n");
    m_lines->sections().push_back(std::move(preamble));
}

RegistryDocument::RegistryDocument(SourceBytes bytes)
    : m_lines(std::make_unique<LineStore>(std::move(bytes)))
    , m_top(std::make_unique<Top>()) {}

RegistryDocument::~RegistryDocument() = default;
RegistryDocument::RegistryDocument(RegistryDocument&&) noexcept = default;
RegistryDocument& RegistryDocument::operator=(RegistryDocument&&) noexcept = default;

RegistryDocument RegistryDocument::parse(std::string_view text, std::string_view fileName) {
    return fromBytes(SourceBytes(std::string(text)), fileName);
}

RegistryDocument RegistryDocument::fromBytes(std::string bytes, std::string_view fileName) {
    return fromBytes(SourceBytes(std::move(bytes)), fileName);
}

RegistryDocument RegistryDocument::fromBytes(SourceBytes bytes, std::string_view fileName) {
    const std::size_t brackets = checkTextCountingBrackets(bytes, fileName);
    RegKey::expectKeys(brackets); // before the document makes its first keys
    RegistryDocument doc(std::move(bytes));
    doc.m_fileName = fileName;
    doc.load(brackets);
    return doc;
}

void RegistryDocument::load(std::size_t brackets) {
    const std::string_view text = m_lines->bytes();
    auto& sections = m_lines->sections();
    sections.reserve(brackets + 1);
    RawEntry header;
    EntrySplitter(text).next(header); // the REGEDIT4 line
    sections.emplace_back().header = m_lines->span(0, header.length);
    std::size_t bodyStart = header.length;
    KeyBuilder keys(*m_lines, m_top->key, brackets);
    for (SectionScanner scanner(text, bodyStart); scanner.next(header);) {
        sections.back().body = m_lines->span(bodyStart, header.offset - bodyStart);
        m_lines->file().releaseBehind(header.offset); // a section once read is seldom looked at again
        bodyStart = header.offset + header.length;
        LineStore::Section section = keys.section(header);
        sections.push_back(std::move(section));
    }
    sections.back().body = m_lines->span(bodyStart, text.size() - bodyStart);
}

bool RegistryDocument::bytesLost() const {
    return m_lines->file().lost();
}

const SourceBytes& RegistryDocument::source() const {
    return m_lines->file();
}

const std::vector<Message>& RegistryDocument::malformedLines() const {
    if (!m_malformed)
        listMalformedLines();
    return *m_malformed;
}

const std::vector<std::size_t>& RegistryDocument::malformedLineNumbers() const {
    malformedLines();
    return m_malformedNumbers;
}

void RegistryDocument::listMalformedLines() const {
    std::vector<Message>& out = m_malformed.emplace();
    m_malformedNumbers.clear();
    std::size_t line = 1;
    const auto report = [&](std::size_t number, const char* reason, std::vector<std::string> args = {}) {
        m_malformedNumbers.push_back(number);
        std::string lead = m_fileName;
        lead += ':';
        lead += std::to_string(number);
        lead += ": ";
        out.push_back(Message{std::move(lead), "RegistryFile", reason, std::move(args)});
    };
    const auto reportSection = [&](std::size_t number, const SectionLine& section) {
        report(number, section.problem, sectionProblemArguments(section));
    };
    for (const auto& section : m_lines->sections()) {
        m_lines->passed(section);
        if (section.kind == LineStore::Section::Kind::Dead)
            reportSection(line, readSection(m_lines->view(section.header)));
        ++line;
        const std::string_view body = m_lines->view(section.body);
        EntrySplitter splitter(body);
        for (RawEntry entry; splitter.next(entry); line += entry.lines) {
            if (entry.kind == RawEntry::Kind::Stray)
                report(line, StrayLineProblem);
            else if (entry.kind == RawEntry::Kind::BadSection)
                reportSection(line, entry.section);
            else if (entry.kind != RawEntry::Kind::Value)
                continue;
            else if (const char* problem =
                         readValueEntry(body.substr(entry.offset, entry.length), nullptr).problem)
                report(line, problem);
            else if (section.kind != LineStore::Section::Kind::Key)
                report(line, QT_TRANSLATE_NOOP("RegistryFile", "キーの見出しの外にある値の行です"));
        }
    }
}

void RegistryDocument::apply(const Change& change) {
    malformedLines(); // of the file as read, before any line changes
    if (!m_editor)
        m_editor = std::make_unique<RegistryEditor>(*m_lines, m_top->key);
    m_editor->apply(change);
}

std::vector<std::string_view> RegistryDocument::pieces() const {
    return m_lines->pieces();
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
    return kv::formatValue(value, eol);
}

} // namespace kv
