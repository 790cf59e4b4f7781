#include "RegistryFileStoreAppend.h"

#include "Cp932.h"
#include "RegistryDocument.h"

#include <charconv>

namespace kv::appended {

namespace {

constexpr std::string_view Eol = "\r\n";
constexpr std::string_view Header = "REGEDIT4\r\n";
// The longest opening line, with the line breaks before and after it.
constexpr std::size_t OpeningLineMax = 2 * Eol.size() + Opening.size() + 20 + OpeningEnd.size();

// A copy of a tree, made without recursion: a key may be nested very deep.
RegKey copyOf(const RegKey& top) {
    RegKey copy(top.name());
    std::vector<std::pair<const RegKey*, RegKey*>> pending{{&top, &copy}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (const RegValue* value : from->values())
            to->setValue(value->name, value->type, value->data);
        for (const RegKey* child : from->children())
            pending.emplace_back(child, &to->ensureChild(child->name()));
    }
    return copy;
}

// The changes one appended section makes: its header line, then its value lines.
bool addSectionChanges(std::string_view header, std::string_view body, std::vector<Change>& changes) {
    if (header.size() < 3 || header.back() != ']')
        return false;
    if (header.starts_with("[-")) {
        changes.push_back({Change::Kind::RemoveKey, cp932::split(header.substr(2, header.size() - 3)), {}});
        return body.empty();
    }
    KeyPath path = cp932::split(header.substr(1, header.size() - 2));
    if (body.empty()) {
        changes.push_back({Change::Kind::CreateKey, std::move(path), {}});
        return true;
    }
    std::string text(Header);
    text += header;
    text += Eol;
    text += body;
    const RegistryDocument section = RegistryDocument::parse(text);
    const RegKey* key = section.tree().find(path);
    if (!key || !section.malformedLines().empty())
        return false;
    for (const RegValue* value : key->values())
        changes.push_back({Change::Kind::SetValue, path, *value});
    return true;
}

// The changes of the sections after the marker line, or nothing when a line is not one that
// sectionFor writes.
std::optional<std::vector<Change>> changesOf(std::string_view sections) {
    std::vector<Change> changes;
    std::string_view header;
    std::string body;
    const auto endSection = [&] { return header.empty() || addSectionChanges(header, body, changes); };
    while (!sections.empty()) {
        const std::size_t end = sections.find(Eol);
        if (end == std::string_view::npos)
            return std::nullopt; // every appended line ends with its line break
        const std::string_view line = sections.substr(0, end);
        sections.remove_prefix(end + Eol.size());
        if (line.empty() || line == Marker || line.starts_with(Opening))
            continue;
        if (line.front() == '[') {
            if (!endSection())
                return std::nullopt;
            header = line;
            body.clear();
        } else if (header.empty()) {
            return std::nullopt;
        } else {
            body += line;
            body += Eol;
        }
    }
    if (!endSection())
        return std::nullopt;
    return changes;
}

// Whether text is what the start of one appended section can be: its key line, at most one
// value's first line, then only the continuation lines of a hex list. Anything else after an
// opening line was added by another program, and is kept.
bool isOneSectionCut(std::string_view text) {
    for (std::size_t line = 0; !text.empty(); ++line) {
        const std::size_t end = text.find(Eol);
        const std::string_view start = text.substr(0, end);
        const bool fits = line == 0 ? start.starts_with('[')
                          : line == 1
                              ? start.starts_with('"') || start.starts_with('@')
                              : start.starts_with("  ") || (end == std::string_view::npos && start == " ");
        if (!fits)
            return false;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + Eol.size());
    }
    return true;
}

} // namespace

std::string sectionFor(const RegKey& top, const Change& change) {
    std::string section = change.kind == Change::Kind::RemoveKey ? "[-" : "[";
    section += joinPath(spelledPath(top, change.path));
    section += ']';
    section += Eol;
    if (change.kind == Change::Kind::SetValue)
        section += RegistryDocument::formatValue(change.value, Eol);
    std::string out(Eol);
    out += Opening;
    out += std::to_string(section.size());
    out += OpeningEnd;
    out += Eol;
    return out + section;
}

std::size_t lastSectionStart(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
    for (std::size_t end = text.size(); end > 0;) {
        const std::size_t bracket = text.rfind('[', end - 1);
        if (bracket == std::string_view::npos)
            break;
        std::size_t lineStart = bracket;
        while (lineStart > 0 && isBlank(text[lineStart - 1]))
            --lineStart;
        if (lineStart == 0 || isBreak(text[lineStart - 1]))
            return lineStart;
        end = bracket;
    }
    // No section: everything after the header line.
    const std::size_t headerEnd = text.find_first_of("\r\n");
    if (headerEnd == std::string_view::npos)
        return text.size();
    return text.compare(headerEnd, 2, Eol) == 0 ? headerEnd + 2 : headerEnd + 1;
}

bool readsAs(std::string_view tail, std::string_view appended, std::span<const Change> changes) {
    try {
        std::string text(Header);
        text += tail;
        const RegistryDocument before = RegistryDocument::parse(text);
        RegKey expected = copyOf(before.tree());
        for (const auto& change : changes)
            applyChange(expected, change);
        text += appended;
        const RegistryDocument actual = RegistryDocument::parse(text);
        return actual.malformedLines().size() == before.malformedLines().size() && actual.tree() == expected;
    } catch (const Failure&) {
        return false;
    }
}

std::optional<Region> findRegion(std::string_view text, std::size_t firstMarker) {
    if (firstMarker == std::string_view::npos || firstMarker + Marker.size() > text.size())
        return std::nullopt; // no marker, or none before the text ends
    // A marker whose sections do not fold (a user edited them) is left as text; a later one,
    // opened after that, may still fold.
    for (std::size_t marker = firstMarker; marker != std::string_view::npos;
         marker = text.find(Marker, marker + 1)) {
        const std::size_t end = marker + Marker.size();
        if (marker < Eol.size() || text.substr(marker - Eol.size(), Eol.size()) != Eol ||
            text.substr(end, Eol.size()) != Eol)
            continue;
        const std::size_t start = marker - Eol.size();
        auto changes = changesOf(text.substr(end + Eol.size()));
        const std::string_view base = text.substr(0, start);
        if (changes && readsAs(base.substr(lastSectionStart(base)), text.substr(start), *changes))
            return Region{start, std::move(*changes)};
    }
    return std::nullopt;
}

std::size_t tornLength(std::string_view text) {
    // A cut-short append's opening line is the line before the last section, or lies after its
    // start when the cut came before the section's key line.
    const std::size_t section = lastSectionStart(text);
    const std::size_t from = section > OpeningLineMax ? section - OpeningLineMax : 0;
    std::string opening(Eol);
    opening += Opening;
    const std::size_t found = text.substr(from).rfind(opening);
    if (found == std::string_view::npos)
        return 0;
    const std::size_t start = from + found;
    std::string_view rest = text.substr(start + opening.size());
    std::size_t length = 0;
    const auto [digitsEnd, error] = std::from_chars(rest.data(), rest.data() + rest.size(), length);
    rest.remove_prefix(static_cast<std::size_t>(digitsEnd - rest.data()));
    std::string lineEnd(OpeningEnd);
    lineEnd += Eol;
    if (lineEnd.starts_with(rest) && (error == std::errc() || rest.empty()))
        return text.size() - start; // cut within the opening line itself
    if (error != std::errc() || !rest.starts_with(lineEnd))
        return 0; // a line of someone else's
    rest.remove_prefix(lineEnd.size());
    return rest.size() + Eol.size() < length && isOneSectionCut(rest) ? text.size() - start : 0;
}

} // namespace kv::appended
