// Line-by-line reading shared by the recording parsers: CR LF or LF line ends, line numbers
// for the error messages, and the hexadecimal registers every format writes.
#pragma once

#include "RecordedProcessor.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::cpurecord {

class TextLines {
public:
    TextLines(std::string_view text, const std::string& origin)
        : m_rest(text)
        , m_origin(origin) {}

    // The next line without its line end; false at the end of the text.
    bool next(std::string_view& line) {
        if (m_rest.empty())
            return false;
        const std::size_t eol = std::min(m_rest.find('\n'), m_rest.size());
        line = m_rest.substr(0, eol);
        m_rest.remove_prefix(std::min(eol + 1, m_rest.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++m_number;
        return true;
    }

    // Ends the parse with "origin:line: reason", reason marked as recordingFailure takes it.
    [[noreturn]] void fail(const char* reason, const std::string& arg = {}) const {
        throw recordingFailure(m_origin + ":" + std::to_string(m_number) + ": ", reason, arg);
    }

private:
    std::string_view m_rest;
    std::string m_origin;
    int m_number = 0;
};

inline std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The blank-separated words of a line.
inline std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    for (line = trimmed(line); !line.empty(); line = trimmed(line)) {
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        out.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
    return out;
}

// A whole word as a number in base, or in hexadecimal after "0x".
template <typename T> bool parseNumber(std::string_view word, int base, T& out) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out, base);
    return !word.empty() && ec == std::errc() && end == word.data() + word.size();
}

} // namespace kv::cpurecord
