// A registry.reg file held two ways: as the key tree it describes, read the way Windows 98's
// regedit reads REGEDIT4 text, and as its own lines, so that a change rewrites only the lines
// it touches and everything else (comments, order, line ends, lines regedit would skip) is
// written back byte for byte.
#pragma once

#include "KeyTree.h"
#include "Message.h"
#include "SettingsStore.h"

#include <deque>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// A file that is not REGEDIT4 text at all; such a file is never written to. The message is
// "file: reason"; the reason is a text marked in the context "RegistryFile".
class RegistryFileError : public TranslatableError {
public:
    RegistryFileError(const std::string& file, const char* reason, std::vector<std::string> args = {});
    // The reason alone, in the source language.
    std::string reason() const { return fillArguments(message().source, message().args); }
    // The same reason, naming another file.
    RegistryFileError naming(const std::string& file) const;
};

class RegistryDocument {
public:
    // An empty registry: the header line only.
    RegistryDocument();
    // Throws RegistryFileError (naming fileName) when the text is not REGEDIT4 at all.
    // fileName also prefixes the malformed-line reports.
    static RegistryDocument parse(std::string_view text, std::string_view fileName = "registry.reg");
    // The same, keeping bytes as the document's own: lines nobody changes stay views into them.
    static RegistryDocument fromBytes(std::string bytes, std::string_view fileName = "registry.reg");

    RegistryDocument(RegistryDocument&&) = default;
    RegistryDocument& operator=(RegistryDocument&&) = default;

    const RegKey& tree() const { return m_top; }
    // "registry.reg:LINE: reason" for every line that had no effect because it is malformed.
    const std::vector<Message>& malformedLines() const { return m_malformed; }

    // Changes the tree as applyChange does, and the lines as little as that needs.
    void apply(const Change& change);
    std::string text() const;
    // The same text in consecutive pieces, each unchanged run of the file's lines as one: a
    // writer can send them on without first copying the whole file.
    std::vector<std::string_view> pieces() const;

    // One value as a REGEDIT4 entry, the way regedit writes it; eol ends every physical line.
    static std::string formatValue(const RegValue& value, std::string_view eol);

private:
    static constexpr std::uint32_t None = UINT32_MAX;

    // Some physical lines with their line ends: a span of the file's bytes until a change
    // gives them text of their own. A 10 MB file has some 300 000 lines; a string each would
    // cost more than the file.
    struct Text {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t owned = None; // index into m_owned
    };
    struct Entry {
        enum class Kind : std::uint8_t { Blank, Comment, Value, ValueDeletion, Ignored, Malformed };
        Kind kind = Kind::Blank;
        bool open = false; // hex data whose last line, the file's last, asks for a continuation
        Text text;
    };
    struct Section {
        enum class Kind : std::uint8_t { Preamble, Key, Deletion, Dead };
        Kind kind = Kind::Preamble;
        bool ownsEntries = false;      // false: its entries are m_entries[first, first + count)
        Text header;                   // the header line with its line end; empty for the preamble
        Text path;                     // Key and Deletion: the key's "\\"-joined path
        std::uint32_t previous = None; // the previous section of the same kind and path
        std::uint32_t first = 0, count = 0;
        std::vector<Entry> entries; // once ownsEntries
    };
    // The sections of one key path, newest first through Section::previous.
    struct KeyIndex {
        std::uint32_t lastSection = None;
        std::uint32_t lastDeletion = None;
    };
    struct FoldedHash {
        std::size_t operator()(std::string_view s) const;
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::string_view view(const Text& text) const;
    void setText(Text& text, std::string content);
    Text own(std::string content);
    std::span<const Entry> entriesOf(const Section& section) const;
    std::vector<Entry>& editEntries(Section& section);

    void parseLines(std::string_view fileName);
    // Appends a section and returns its index, which is also its order in the file.
    std::uint32_t addSection(Section section);
    // The index is made at the first change: a file only read never needs it.
    void buildIndex();
    void indexSection(std::uint32_t index);
    void setValue(const KeyPath& path, const RegValue& value, bool keyExisted);
    void removeKey(const KeyPath& path);
    void appendKeySection(const KeyPath& path, const RegValue* value);
    std::uint32_t lastDeletionAffecting(std::string_view path) const;
    // Whether reading the text back creates the key: a section of it or below it that no
    // later deletion undoes.
    bool isWritten(std::string_view path) const;
    Text* lastLineOfFile();
    void closeContinuation(Entry& entry);
    KeyPath spelledPath(const KeyPath& path) const;

    std::unique_ptr<const std::string> m_bytes; // the file as read; never changes
    std::deque<std::string> m_owned;            // changed and new lines; never move
    RegKey m_top{""};
    std::vector<Entry> m_entries; // the lines of every section that was not changed
    std::vector<Section> m_sections;
    std::unordered_map<std::string_view, KeyIndex, FoldedHash, FoldedEqual> m_index; // by path
    bool m_indexed = false;
    std::vector<Message> m_malformed;
};

} // namespace kv
