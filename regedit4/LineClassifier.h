// What one physical line of a REGEDIT4 file is, judged from that line alone the way regedit
// judges it: blank, comment, key section, the start of a value, or malformed with its reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s);
std::string_view trimRight(std::string_view s);

// Hands out the physical lines of a text one by one. Lines end in CR LF, LF or CR.
class LineReader {
public:
    explicit LineReader(std::string_view text);
    bool done() const { return m_pos >= m_text.size(); }
    std::size_t position() const { return m_pos; }
    void seek(std::size_t position);
    // The next line without its line end; start and length cover it with its line end.
    std::string_view next(std::size_t& start, std::size_t& length);
    std::string_view next();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_lf; // the next LF at or after m_pos; npos when there is none
};

enum class LineKind : std::uint8_t { Blank, Comment, Section, Value, Malformed };

// By the line's first character after blanks: regedit looks no further to dispatch.
LineKind classifyLine(std::string_view line);

// A line that starts with "[" after blanks.
struct SectionLine {
    enum class Effect : std::uint8_t {
        OpenKey,   // values that follow go to the key
        DeleteKey, // the key and everything below it are gone; no key is open after it
        CloseKey,  // malformed: no key is open after it
        KeepKey,   // malformed: it changes nothing, values still go to the key before it
    };
    Effect effect = Effect::KeepKey;
    const char* problem = nullptr; // why the line is malformed; nullptr when it is not
    std::string_view detail;       // what the problem names (an unknown root)
    std::string_view hive;         // the hive's full name, as the tree spells it
    std::string_view path;         // "HIVE\a\b" as written, without trailing "\"
};

// Windows keeps keys at most this many levels below a hive.
constexpr std::size_t MaxKeyDepth = 512;

SectionLine readSection(std::string_view line);

// The arguments of a section line's problem: the unknown root it names, if that is the problem.
std::vector<std::string> sectionProblemArguments(const SectionLine& section);

extern const char* const StrayLineProblem;

} // namespace kv
