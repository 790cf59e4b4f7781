#include "ConfigText.h"

#include "GameTable.h"
#include "LineClassifier.h"

namespace kv {

namespace {

constexpr std::string_view CrLf = "\r\n";

bool endsWithBreak(std::string_view text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

} // namespace

std::string toCrLf(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            out += CrLf;
        } else if (c == '\n') {
            out += CrLf;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (LineReader reader(text); !reader.done();)
        lines.push_back(reader.next());
    return lines;
}

std::string_view lineFromEnd(std::string_view text, int k) {
    const auto lines = splitLines(text);
    const auto count = static_cast<long long>(lines.size());
    const long long index = count - k;
    if (index < 0 || index >= count)
        return {};
    return lines[static_cast<std::size_t>(index)];
}

std::string appendLine(std::string_view text, std::string_view line) {
    std::string out(text);
    if (text.empty() || endsWithBreak(text)) {
        out += line;
        out += CrLf;
    } else {
        out += CrLf;
        out += line;
    }
    return out;
}

std::string insertLine(std::string_view text, int position, std::string_view line) {
    if (position < 0)
        return std::string(text);
    const auto lines = splitLines(text);
    if (static_cast<std::size_t>(position) >= lines.size())
        return appendLine(text, line);
    // The lines are views into text, so a line's start is its offset in text.
    const auto at = static_cast<std::size_t>(lines[static_cast<std::size_t>(position)].data() - text.data());
    std::string out;
    out.reserve(text.size() + line.size() + CrLf.size());
    out.append(text.substr(0, at)).append(line).append(CrLf).append(text.substr(at));
    return out;
}

bool hasExpectedLine(const GameRow& game, std::string_view text) {
    return lineFromEnd(text, game.testedFromEnd) == game.expectedLine;
}

FileStepResult applyFileStep(const GameRow& game, std::string_view fileBytes) {
    std::string text = toCrLf(fileBytes);
    if (hasExpectedLine(game, text))
        return {std::move(text), true};
    if (game.fileStep == FileStep::AppendLast)
        return {appendLine(text, game.expectedLine), false};
    // Inserting at count - k + 1 makes the new line the k-th from the end; for k = 6 that is
    // count - 5, so the five lines that were last stay last.
    const auto count = static_cast<long long>(splitLines(text).size());
    const long long position = count - game.testedFromEnd + 1;
    if (position < 0)
        return {std::move(text), false};
    return {insertLine(text, static_cast<int>(position), game.expectedLine), false};
}

} // namespace kv
