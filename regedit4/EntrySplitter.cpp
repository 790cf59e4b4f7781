#include "EntrySplitter.h"

#include "Message.h"
#include "ValueSyntax.h"

namespace kv {

namespace {

// Reads a value line that lines has just handed out (it started at start), and the lines its
// hex data continues onto.
ValueEntry joinValue(LineReader& lines, std::size_t start, std::string_view first, RegValue* value) {
    ValueEntry entry;
    ValueLine line;
    std::string* data = value ? &value->data : nullptr;
    entry.problem = readValueLine(first, line, value ? &value->name : nullptr, data);
    entry.deletion = line.deletion;
    if (value)
        value->type = line.type;
    HexEnd hex = entry.problem ? HexEnd::Invalid : line.hex;
    std::size_t mark = start + line.mark;
    while (hex == HexEnd::Continues) {
        if (lines.done()) {
            entry.open = true;
            entry.mark = mark;
            break;
        }
        std::size_t at = 0, length = 0;
        const std::string_view next = lines.next(at, length);
        ++entry.lines;
        const LineKind kind = classifyLine(next);
        if (kind == LineKind::Blank || kind == LineKind::Comment)
            continue;
        if (!startsWithHexDigit(next)) {
            entry.problem = QT_TRANSLATE_NOOP("RegistryFile", "'\\' の次の行が 16 進の続きではありません");
            break;
        }
        std::size_t markInLine = 0;
        hex = readHexList(next, data, &markInLine);
        mark = at + markInLine;
        if (hex == HexEnd::Invalid)
            entry.problem = QT_TRANSLATE_NOOP("RegistryFile", "16 進の並びが不正です");
    }
    return entry;
}

} // namespace

EntrySplitter::EntrySplitter(std::string_view text, Mode mode)
    : m_lines(text)
    , m_mode(mode) {}

// Lines that start with a hex digit and cannot continue end a value's continuation when its
// data is sound; when it is not, they are stray lines that change nothing. Either way reading
// goes on after them as after a value, so only a line of another kind needs the value read.
ValueEntry EntrySplitter::skimValue(std::size_t start) {
    ValueEntry entry;
    while (!m_lines.done()) {
        const std::string_view next = m_lines.next();
        ++entry.lines;
        const LineKind kind = classifyLine(next);
        if (kind == LineKind::Blank || kind == LineKind::Comment)
            continue;
        if (!startsWithHexDigit(next))
            break;
        if (cannotContinue(next))
            return entry;
    }
    m_lines.seek(start);
    std::size_t at = 0, length = 0;
    const std::string_view first = m_lines.next(at, length);
    return joinValue(m_lines, start, first, nullptr);
}

bool EntrySplitter::next(RawEntry& entry) {
    using Kind = RawEntry::Kind;
    if (m_lines.done())
        return false;
    std::size_t start = 0, length = 0;
    const std::string_view line = m_lines.next(start, length);
    entry.open = false; // the section line is only set for section kinds
    entry.offset = start;
    entry.length = length;
    entry.lines = 1;
    switch (classifyLine(line)) {
    case LineKind::Blank:
        entry.kind = Kind::Blank;
        break;
    case LineKind::Comment:
        entry.kind = Kind::Comment;
        break;
    case LineKind::Malformed:
        entry.kind = Kind::Stray;
        break;
    case LineKind::Section:
        entry.section = readSection(line);
        entry.kind = entry.section.effect == SectionLine::Effect::KeepKey ? Kind::BadSection : Kind::Section;
        break;
    case LineKind::Value:
        entry.kind = Kind::Value;
        if (cannotContinue(line))
            break; // most value lines: what they hold is read when it is first asked for
        const ValueEntry value =
            m_mode == Mode::Sections ? skimValue(start) : joinValue(m_lines, start, line, nullptr);
        entry.lines = value.lines;
        entry.open = value.open;
        entry.length = m_lines.position() - start;
        break;
    }
    return true;
}

ValueEntry readValueEntry(std::string_view text, RegValue* value) {
    LineReader lines(text);
    std::size_t start = 0, length = 0;
    const std::string_view first = lines.next(start, length);
    return joinValue(lines, start, first, value);
}

} // namespace kv
