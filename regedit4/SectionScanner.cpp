#include "SectionScanner.h"

#include "ValueSyntax.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// The line that starts at start, without its line end; length gets it with its line end
// (CR LF, LF or CR).
std::string_view lineAt(std::string_view text, std::size_t start, std::size_t& length) {
    const char* const from = text.data() + start;
    const std::size_t rest = text.size() - start;
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', rest));
    const std::size_t toLf = lf ? static_cast<std::size_t>(lf - from) : rest;
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', toLf));
    const std::size_t end = cr ? static_cast<std::size_t>(cr - from) : toLf;
    length = cr && end + 1 < rest && from[end + 1] == '\n' ? end + 2 : std::min(end + 1, rest);
    return text.substr(start, end);
}

} // namespace

SectionScanner::SectionScanner(std::string_view text, std::size_t from)
    : m_text(text)
    , m_pos(from)
    , m_safe(from) {}

bool SectionScanner::next(RawEntry& header) {
    const char* const base = m_text.data();
    while (m_pos < m_text.size()) {
        const void* bracket = std::memchr(base + m_pos, '[', m_text.size() - m_pos);
        if (!bracket)
            break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(bracket) - base);
        std::size_t start = at;
        while (start > m_safe && isBlank(m_text[start - 1]))
            --start;
        m_pos = at + 1;
        if (start > 0 && !isLineBreak(m_text[start - 1]))
            continue; // within a line
        if (mayContinueInto(start)) {
            if (readExactly(start, header))
                return true;
            continue;
        }
        m_safe = start;
        std::size_t length = 0;
        header.section = readSection(lineAt(m_text, start, length));
        m_pos = start + length;
        if (header.section.effect == SectionLine::Effect::KeepKey)
            continue; // a broken header that changes nothing: one of the section's lines
        header.kind = RawEntry::Kind::Section;
        header.open = false;
        header.offset = start;
        header.length = length;
        header.lines = 1;
        return true;
    }
    m_pos = m_text.size();
    return false;
}

bool SectionScanner::mayContinueInto(std::size_t lineStart) const {
    for (std::size_t end = lineStart; end > m_safe;) {
        // Back over the line end, then to the start of the line before it.
        std::size_t contentEnd = end - 1;
        if (m_text[contentEnd] == '\n' && contentEnd > 0 && m_text[contentEnd - 1] == '\r')
            --contentEnd;
        std::size_t start = contentEnd;
        while (start > 0 && !isLineBreak(m_text[start - 1]))
            --start;
        const std::string_view line = m_text.substr(start, contentEnd - start);
        const LineKind kind = classifyLine(line);
        if (kind != LineKind::Blank && kind != LineKind::Comment)
            return !cannotContinue(line);
        end = start;
    }
    return false;
}

bool SectionScanner::readExactly(std::size_t lineStart, RawEntry& header) {
    const std::size_t from = m_safe;
    EntrySplitter splitter(m_text.substr(from), EntrySplitter::Mode::Sections);
    for (RawEntry entry; splitter.next(entry);) {
        const std::size_t end = from + entry.offset + entry.length;
        if (end <= lineStart)
            continue;
        m_safe = m_pos = end;
        if (entry.kind != RawEntry::Kind::Section || from + entry.offset != lineStart)
            return false; // taken in by the value before it, or a broken header
        header = entry;
        header.offset = lineStart;
        return true;
    }
    m_safe = m_pos = m_text.size();
    return false;
}

} // namespace kv
