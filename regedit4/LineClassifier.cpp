#include "LineClassifier.h"

#include "Cp932.h"
#include "Message.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kv {

namespace {

constexpr std::array<std::string_view, 6> Hives = {
    "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",   "HKEY_USERS",
    "HKEY_CLASSES_ROOT",  "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

// The hive a path starts with: its name in any case, then the end or a "\".
std::string_view hiveOf(std::string_view path) {
    // Whether the path has room for the hive's name, ended by the path's end or a "\".
    const auto fits = [&](std::string_view hive) {
        return path.size() >= hive.size() && (path.size() == hive.size() || path[hive.size()] == '\\');
    };
    // Files mostly spell hives as regedit writes them.
    for (const std::string_view hive : Hives)
        if (fits(hive) && path.starts_with(hive))
            return hive;
    for (const std::string_view hive : Hives)
        if (fits(hive) && cp932::equalsIgnoreCase(path.substr(0, hive.size()), hive))
            return hive;
    return {};
}

// Whether s[i] is the second byte of a double-byte character. A byte that cannot lead a
// character ends one, so the walk back stops at the first such byte.
bool isTrailByte(std::string_view s, std::size_t i) {
    std::size_t leads = 0;
    while (i > leads && cp932::isLeadByte(static_cast<unsigned char>(s[i - leads - 1])))
        ++leads;
    return leads % 2 == 1;
}

// Position of the last "]" that is a character of its own, or npos.
std::size_t lastClosingBracket(std::string_view line) {
    std::size_t close = line.rfind(']');
    while (close != std::string_view::npos && isTrailByte(line, close))
        close = close == 0 ? std::string_view::npos : line.rfind(']', close - 1);
    return close;
}

// Drops the "\" characters that end a path, never the trail byte of a double-byte character.
std::string_view withoutTrailingSeparators(std::string_view path) {
    while (!path.empty() && path.back() == '\\' && !isTrailByte(path, path.size() - 1))
        path.remove_suffix(1);
    return path;
}

// Checks the key names below the hive: the first may not be empty, and a path may not go deeper
// than Windows keeps keys. Further runs of "\\" name one key, as regedit reads them.
const char* checkKeyNames(std::string_view path, std::size_t hiveLength) {
    if (path.size() == hiveLength)
        return nullptr;
    if (path[hiveLength + 1] == '\\')
        return QT_TRANSLATE_NOOP("RegistryFile", "パスに空のキー名があります");
    // Each level takes a name and a "\": a path this short cannot go too deep.
    if (path.size() - hiveLength <= 2 * MaxKeyDepth)
        return nullptr;
    std::size_t depth = 0;
    for (std::size_t from = hiveLength + 1; from != std::string_view::npos;) {
        const std::size_t sep = cp932::findChar(path, '\\', from);
        if (sep != from && ++depth > MaxKeyDepth)
            return QT_TRANSLATE_NOOP("RegistryFile", "キーの階層が深すぎます (512 まで)");
        from = sep == std::string_view::npos ? sep : sep + 1;
    }
    return nullptr;
}

} // namespace

const char* const StrayLineProblem = QT_TRANSLATE_NOOP("RegistryFile", "解釈できない行です");

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

LineReader::LineReader(std::string_view text)
    : m_text(text)
    , m_lf(text.find('\n')) {}

void LineReader::seek(std::size_t position) {
    m_pos = position;
    m_lf = m_text.find('\n', position);
}

std::string_view LineReader::next(std::size_t& start, std::size_t& length) {
    const char* base = m_text.data();
    const std::size_t size = m_text.size();
    if (m_lf != std::string_view::npos && m_lf < m_pos) {
        const void* lf = std::memchr(base + m_pos, '\n', size - m_pos);
        m_lf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : std::string_view::npos;
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
    return m_text.substr(start, end - start);
}

std::string_view LineReader::next() {
    std::size_t start = 0, length = 0;
    return next(start, length);
}

LineKind classifyLine(std::string_view line) {
    line = trimLeft(line);
    if (line.empty())
        return LineKind::Blank;
    switch (line.front()) {
    case ';':
        return LineKind::Comment;
    case '[':
        return LineKind::Section;
    case '"':
    case '@':
        return LineKind::Value;
    default:
        return LineKind::Malformed;
    }
}

SectionLine readSection(std::string_view line) {
    using Effect = SectionLine::Effect;
    SectionLine out;
    line = trimLeft(line).substr(1);
    if (!line.empty() && isBlank(line.front())) {
        out.problem = QT_TRANSLATE_NOOP("RegistryFile", "'[' の直後に空白があります");
        return out;
    }
    const std::size_t close = lastClosingBracket(line);
    if (close == std::string_view::npos) {
        out.problem = QT_TRANSLATE_NOOP("RegistryFile", "キーの終わりに ']' がありません");
        return out;
    }
    std::string_view inner = line.substr(0, close);
    const bool deletion = inner.starts_with('-');
    if (deletion)
        inner.remove_prefix(1);
    out.effect = Effect::CloseKey;
    out.path = withoutTrailingSeparators(inner);
    out.hive = hiveOf(out.path);
    if (out.hive.empty()) {
        out.detail = out.path.substr(0, std::min(cp932::findChar(out.path, '\\'), std::size_t{40}));
        out.problem = QT_TRANSLATE_NOOP("RegistryFile", "不明なルートキー '%1'");
    } else if ((out.problem = checkKeyNames(out.path, out.hive.size()))) {
    } else if (deletion && out.path.size() == out.hive.size()) {
        out.problem = QT_TRANSLATE_NOOP("RegistryFile", "ルートキーは削除できません");
    } else {
        out.effect = deletion ? Effect::DeleteKey : Effect::OpenKey;
    }
    return out;
}

std::vector<std::string> sectionProblemArguments(const SectionLine& section) {
    if (section.effect == SectionLine::Effect::CloseKey && section.hive.empty()) // an unknown root
        return {cp932::toUtf8(section.detail)};
    return {};
}

} // namespace kv
