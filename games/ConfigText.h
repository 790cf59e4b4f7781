// The games' 3D configuration files as text: their lines as the games page's text box holds
// them, and the two edits the rewrite makes. Everything works on the file's bytes (CP932), so
// no character is ever re-encoded; only line breaks are touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct GameRow;

// The text as the text box loads it: every line break (CR LF, lone CR, lone LF) becomes CR LF.
std::string toCrLf(std::string_view bytes);

// The lines without their breaks. A final line break does not start a further, empty line.
std::vector<std::string_view> splitLines(std::string_view text);

// The line at position count - k (counting from 0). A file with fewer than k lines has no such
// line, and it reads as empty text.
std::string_view lineFromEnd(std::string_view text, int k);

// Adds line as the new last line. After a final line break it goes on with CR LF after it;
// without one, CR LF goes before it and the text again ends without a break.
std::string appendLine(std::string_view text, std::string_view line);

// Places line and CR LF at the start of line position (counting from 0). A position below 0
// leaves the text as it is; one at or past the end adds a last line.
std::string insertLine(std::string_view text, int position, std::string_view line);

// Whether a game's tested line already holds its expected line.
bool hasExpectedLine(const GameRow& game, std::string_view text);

struct FileStepResult {
    std::string text;    // the text to save and show (CR LF breaks)
    bool alreadyPresent; // the tested line already holds the expected line; nothing to save
};

// The rewrite's file step for a game with AppendLast or InsertLine, on the file's bytes.
FileStepResult applyFileStep(const GameRow& game, std::string_view fileBytes);

} // namespace kv
