#include "LineStore.h"

namespace kv {

namespace {

LineStore::Entry::Kind entryKind(RawEntry::Kind kind) {
    using Kind = LineStore::Entry::Kind;
    switch (kind) {
    case RawEntry::Kind::Blank:
        return Kind::Blank;
    case RawEntry::Kind::Comment:
        return Kind::Comment;
    case RawEntry::Kind::Value:
        return Kind::Value;
    default:
        return Kind::Malformed; // a section header never stands inside a section's lines
    }
}

// Sets or deletes the value an entry's text names, unless it is malformed.
void applyValueEntry(std::string_view text, RegKey& key) {
    RegValue value;
    const ValueEntry entry = readValueEntry(text, &value);
    if (entry.problem)
        return;
    if (entry.deletion)
        key.removeValue(value.name);
    else
        key.setValue(value.name, value.type, std::move(value.data));
}

// What a value entry in a section of that kind does, judged from its text.
LineStore::Entry::Kind valueEntryKind(std::string_view text, LineStore::Section::Kind section) {
    using Kind = LineStore::Entry::Kind;
    const ValueEntry entry = readValueEntry(text, nullptr);
    if (entry.problem)
        return Kind::Malformed;
    if (section != LineStore::Section::Kind::Key)
        return Kind::Ignored;
    return entry.deletion ? Kind::ValueDeletion : Kind::Value;
}

} // namespace

LineStore::LineStore(SourceBytes bytes)
    : m_bytes(std::move(bytes)) {}

std::string_view LineStore::view(const Text& text) const {
    if (text.owned != None)
        return m_owned[text.owned];
    return bytes().substr(text.offset, text.length);
}

LineStore::Text LineStore::own(std::string content) {
    m_owned.push_back(std::move(content));
    return Text{0, 0, static_cast<std::uint32_t>(m_owned.size() - 1)};
}

void LineStore::setText(Text& text, std::string content) {
    if (text.owned != None)
        m_owned[text.owned] = std::move(content);
    else
        text = own(std::move(content));
}

std::vector<LineStore::Entry>& LineStore::entries(Section& section) {
    if (section.entries)
        return *section.entries;
    section.entries = std::make_unique<std::vector<Entry>>();
    EntrySplitter splitter(view(section.body));
    for (RawEntry raw; splitter.next(raw);) {
        Entry entry{entryKind(raw.kind), raw.open, span(section.body.offset + raw.offset, raw.length)};
        if (entry.kind == Entry::Kind::Value)
            entry.kind = valueEntryKind(view(entry.text), section.kind);
        section.entries->push_back(entry);
    }
    return *section.entries;
}

void LineStore::readValues(std::uint32_t first, RegKey& key) const {
    for (std::uint32_t s = first; s != None; s = m_sections[s].nextOfKey) {
        const Section& section = m_sections[s];
        if (section.entries) {
            for (const Entry& entry : *section.entries)
                if (entry.kind == Entry::Kind::Value || entry.kind == Entry::Kind::ValueDeletion)
                    applyValueEntry(view(entry.text), key);
            continue;
        }
        const std::string_view body = view(section.body);
        EntrySplitter splitter(body);
        for (RawEntry raw; splitter.next(raw);)
            if (raw.kind == RawEntry::Kind::Value)
                applyValueEntry(body.substr(raw.offset, raw.length), key);
    }
}

std::vector<std::string_view> LineStore::pieces() const {
    std::vector<std::string_view> out;
    // Unchanged lines mostly follow each other in the file: they make one piece.
    std::size_t runStart = 0, runEnd = 0;
    const auto endRun = [&] {
        if (runEnd > runStart)
            out.push_back(bytes().substr(runStart, runEnd - runStart));
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
        if (!section.entries)
            put(section.body);
        else
            for (const auto& entry : *section.entries)
                put(entry.text);
    }
    endRun();
    return out;
}

} // namespace kv
