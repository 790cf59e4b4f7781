#include "RegistryEditor.h"

#include "Cp932.h"
#include "ValueSyntax.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";

std::string_view lineEnd(std::string_view text) {
    if (text.ends_with(Crlf))
        return Crlf;
    if (text.ends_with('\n'))
        return "\n";
    if (text.ends_with('\r'))
        return "\r";
    return {};
}

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

std::string entryName(std::string_view text) {
    RegValue value;
    readValueEntry(text, &value);
    return value.name;
}

} // namespace

std::size_t RegistryEditor::FoldedHash::operator()(std::string_view s) const {
    return cp932::hashIgnoringCase(s);
}

bool RegistryEditor::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && cp932::compareIgnoringCase(a, b) == 0;
}

RegistryEditor::RegistryEditor(LineStore& lines, RegKey& top)
    : m_lines(lines)
    , m_top(top) {
    m_index.reserve(m_lines.sections().size());
    for (std::uint32_t i = 0; i < m_lines.sections().size(); ++i) {
        indexSection(i);
        m_lines.passed(m_lines.sections()[i]);
    }
}

void RegistryEditor::indexSection(std::uint32_t index) {
    Section& section = m_lines.sections()[index];
    if (section.kind == Section::Kind::Key)
        section.previous = std::exchange(m_index[m_lines.view(section.path)].lastSection, index);
    else if (section.kind == Section::Kind::Deletion)
        section.previous = std::exchange(m_index[m_lines.view(section.path)].lastDeletion, index);
}

void RegistryEditor::apply(const Change& change) {
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

std::uint32_t RegistryEditor::lastDeletionAffecting(std::string_view path) const {
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

void RegistryEditor::setValue(const KeyPath& path, const RegValue& change, bool keyExisted) {
    const RegValue& value = *m_top.find(path)->value(change.name); // keeps its first spelling
    const std::string joined = joinPath(path);
    const auto indexed = keyExisted ? m_index.find(joined) : m_index.end();
    if (indexed == m_index.end() || indexed->second.lastSection == None) {
        appendKeySection(path, &value);
        return;
    }
    const std::uint32_t deleted = lastDeletionAffecting(joined);
    const std::uint32_t last = indexed->second.lastSection;
    if (replaceValueEntry(last, deleted, value))
        return;
    if (last <= deleted)
        appendKeySection(path, &value);
    else
        insertValue(m_lines.sections()[last], value);
}

bool RegistryEditor::replaceValueEntry(std::uint32_t last, std::uint32_t deleted, const RegValue& value) {
    for (std::uint32_t s = last; s != None && s > deleted; s = m_lines.sections()[s].previous) {
        std::vector<Entry>& entries = m_lines.entries(m_lines.sections()[s]);
        for (std::size_t i = entries.size(); i-- > 0;) {
            Entry& entry = entries[i];
            if ((entry.kind != Entry::Kind::Value && entry.kind != Entry::Kind::ValueDeletion) ||
                !cp932::equalsIgnoreCase(entryName(m_lines.view(entry.text)), value.name))
                continue;
            const std::string_view eol = lineEnd(m_lines.view(entry.text));
            std::string text = formatValue(value, eol.empty() ? Crlf : eol);
            if (eol.empty())
                text.resize(text.size() - Crlf.size());
            m_lines.setText(entry.text, std::move(text));
            entry.kind = Entry::Kind::Value;
            entry.open = false;
            return true;
        }
    }
    return false;
}

// At the end of the section, before the blank lines that part it from the next.
void RegistryEditor::insertValue(Section& section, const RegValue& value) {
    std::vector<Entry>& entries = m_lines.entries(section);
    std::size_t at = entries.size();
    while (at > 0 && entries[at - 1].kind == Entry::Kind::Blank)
        --at;
    if (at > 0)
        closeContinuation(entries[at - 1]);
    Text& before = at > 0 ? entries[at - 1].text : section.header;
    endWithLineEnd(before);
    const Text text = m_lines.own(formatValue(value, lineEnd(m_lines.view(before))));
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{Entry::Kind::Value, false, text});
}

void RegistryEditor::endWithLineEnd(Text& text) {
    if (!lineEnd(m_lines.view(text)).empty())
        return;
    std::string ended(m_lines.view(text));
    ended += Crlf;
    m_lines.setText(text, std::move(ended));
}

// A value whose hex data asks for more on the file's last line reads as the data it has. The
// "\" that asks goes, so that nothing written after it is taken for more of its data, and
// regedit, which drops such a value when a line that is not hex follows, still sets it.
void RegistryEditor::closeContinuation(Entry& entry) {
    if (!entry.open)
        return;
    std::string text(m_lines.view(entry.text));
    text.erase(readValueEntry(text, nullptr).mark, 1);
    if (lineEnd(text).empty())
        text += Crlf;
    m_lines.setText(entry.text, std::move(text));
    entry.open = false;
}

RegistryEditor::Text* RegistryEditor::lastLineOfFile() {
    auto& sections = m_lines.sections();
    for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
        std::vector<Entry>& entries = m_lines.entries(*it);
        if (!entries.empty())
            return &entries.back().text;
        if (!m_lines.view(it->header).empty())
            return &it->header;
    }
    return nullptr;
}

void RegistryEditor::appendKeySection(const KeyPath& path, const RegValue* value) {
    auto& sections = m_lines.sections();
    // The section that ends the file, leaving out those emptied by a removal.
    auto tail = sections.rbegin();
    while (tail != sections.rend() && m_lines.entries(*tail).empty() && m_lines.view(tail->header).empty())
        ++tail;
    if (tail != sections.rend()) {
        std::vector<Entry>& entries = m_lines.entries(*tail);
        if (!entries.empty())
            closeContinuation(entries.back());
        endWithLineEnd(*lastLineOfFile());
        if (entries.empty() || entries.back().kind != Entry::Kind::Blank)
            entries.push_back({Entry::Kind::Blank, false, m_lines.own(std::string(Crlf))});
    }
    Section section;
    section.kind = Section::Kind::Key;
    section.entries = std::make_unique<std::vector<Entry>>();
    std::string header = "[";
    header += joinPath(spelledPath(m_top, path));
    header += ']';
    header += Crlf;
    section.header = m_lines.own(std::move(header));
    if (value)
        section.entries->push_back({Entry::Kind::Value, false, m_lines.own(formatValue(*value, Crlf))});
    section.path = m_lines.own(joinPath(path)); // never changed: the index keeps a view of it
    sections.push_back(std::move(section));
    indexSection(static_cast<std::uint32_t>(sections.size() - 1));
}

void RegistryEditor::removeKey(const KeyPath& path) {
    const auto drop = [&](Section& s) {
        // Lines broken in themselves do nothing wherever they stand: keep them.
        std::vector<Entry> kept;
        for (const auto& entry : m_lines.entries(s))
            if (entry.kind == Entry::Kind::Malformed)
                kept.push_back(entry);
        s.kind = Section::Kind::Dead;
        s.header = {};
        *s.entries = std::move(kept);
    };
    const std::string joined = joinPath(path);
    for (auto it = m_index.begin(); it != m_index.end();) {
        if (!isPathOrBelow(it->first, joined)) {
            ++it;
            continue;
        }
        for (std::uint32_t s = it->second.lastSection; s != None; s = m_lines.sections()[s].previous)
            drop(m_lines.sections()[s]);
        for (std::uint32_t s = it->second.lastDeletion; s != None; s = m_lines.sections()[s].previous)
            drop(m_lines.sections()[s]);
        it = m_index.erase(it);
    }
    // The parent may have stood only through the sections just dropped.
    const KeyPath parent(path.begin(), path.end() - 1);
    if (!parent.empty() && !isWritten(joinPath(parent)))
        appendKeySection(parent, nullptr);
}

bool RegistryEditor::isWritten(std::string_view path) const {
    const std::uint32_t deleted = lastDeletionAffecting(path);
    for (const auto& [name, key] : m_index)
        if (key.lastSection != None && key.lastSection > deleted && isPathOrBelow(name, path))
            return true;
    return false;
}

} // namespace kv
