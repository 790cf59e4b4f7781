// A registry.reg file held two ways: as the key tree it describes, read the way Windows 98's
// regedit reads REGEDIT4 text, and as its own lines, so that a change rewrites only the lines
// it touches and everything else (comments, order, line ends, lines regedit would skip) is
// written back byte for byte.
#pragma once

#include "KeyTree.h"
#include "SettingsStore.h"

#include <list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// A file that is not REGEDIT4 text at all; such a file is never written to.
class RegistryFileError : public std::runtime_error {
public:
    RegistryFileError(std::string file, std::string reason);
    const std::string& file() const { return m_file; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_file;
    std::string m_reason;
};

class RegistryDocument {
public:
    // An empty registry: the header line only.
    RegistryDocument();
    // Throws RegistryFileError (naming fileName) when the text is not REGEDIT4 at all.
    // fileName also prefixes the malformed-line reports.
    static RegistryDocument parse(std::string_view text, std::string_view fileName = "registry.reg");

    RegistryDocument(RegistryDocument&&) = default;
    RegistryDocument& operator=(RegistryDocument&&) = default;

    const RegKey& tree() const { return m_top; }
    // "registry.reg:LINE: reason" for every line that had no effect because it is malformed.
    const std::vector<std::string>& malformedLines() const { return m_malformed; }

    // Changes the tree as applyChange does, and the lines as little as that needs.
    void apply(const Change& change);
    std::string text() const;

    // One value as a REGEDIT4 entry, the way regedit writes it; eol ends every physical line.
    static std::string formatValue(const RegValue& value, std::string_view eol);

private:
    struct Entry {
        enum class Kind { Blank, Comment, Value, ValueDeletion, Ignored, Malformed };
        Kind kind = Kind::Blank;
        std::string text;  // its physical lines with their line ends
        bool open = false; // hex data whose last line, the file's last, asks for a continuation
    };
    struct Section {
        enum class Kind { Preamble, Key, Deletion, Dead };
        Kind kind = Kind::Preamble;
        std::string header; // the header line with its line end; "" for the preamble
        KeyPath folded;     // Key and Deletion sections
        std::uint64_t order = 0;
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> lastDefinition; // folded value name -> entry
    };
    using SectionIt = std::list<Section>::iterator;
    struct KeyIndex {
        std::vector<SectionIt> sections;  // [path], in file order
        std::vector<SectionIt> deletions; // [-path], in file order
    };

    void parseLines(std::string_view text, std::string_view fileName);
    SectionIt addSection(Section section);
    void setValue(const KeyPath& path, const RegValue& value, bool keyExisted);
    void removeKey(const KeyPath& path);
    void appendKeySection(const KeyPath& path, const RegValue* value);
    std::uint64_t lastDeletionAffecting(const KeyPath& folded) const;
    // Whether reading the text back creates the key: a section of it or below it that no
    // later deletion undoes.
    bool isWritten(const KeyPath& folded) const;
    std::string* lastLineOfFile();
    static void closeContinuation(Entry& entry);
    KeyPath spelledPath(const KeyPath& path) const;

    RegKey m_top{""};
    std::list<Section> m_sections;
    std::map<KeyPath, KeyIndex> m_index; // by folded path
    std::uint64_t m_nextOrder = 1;
    std::vector<std::string> m_malformed;
};

} // namespace kv
