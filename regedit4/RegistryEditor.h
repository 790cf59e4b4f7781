// Changes a registry file's lines as little as a change to its tree needs: a replaced value is
// rewritten where it stands, a new value goes at the end of its key's last section, a new key
// gets a section at the end, and a removed key's sections go. Everything else stays byte for
// byte, and the text always reads back, as regedit reads it, as the tree.
#pragma once

#include "LineStore.h"
#include "SettingsStore.h"

#include <string_view>
#include <unordered_map>

namespace kv {

class RegistryEditor {
public:
    // Indexes the sections by key path; made at the first change, as a file only read never
    // needs the index.
    RegistryEditor(LineStore& lines, RegKey& top);

    // Changes the tree as applyChange does, and the lines to match.
    void apply(const Change& change);

private:
    using Section = LineStore::Section;
    using Entry = LineStore::Entry;
    using Text = LineStore::Text;
    static constexpr std::uint32_t None = ValueSource::None;

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

    void indexSection(std::uint32_t index);
    void setValue(const KeyPath& path, const RegValue& value, bool keyExisted);
    // Rewrites the value's last entry in the key's sections after the deletion; false if none.
    bool replaceValueEntry(std::uint32_t last, std::uint32_t deleted, const RegValue& value);
    void insertValue(Section& section, const RegValue& value);
    void removeKey(const KeyPath& path);
    void appendKeySection(const KeyPath& path, const RegValue* value);
    std::uint32_t lastDeletionAffecting(std::string_view path) const;
    // Whether reading the text back creates the key: a section of it or below it that no
    // later deletion undoes.
    bool isWritten(std::string_view path) const;
    Text* lastLineOfFile();
    void endWithLineEnd(Text& text);
    void closeContinuation(Entry& entry);

    LineStore& m_lines;
    RegKey& m_top;
    std::unordered_map<std::string_view, KeyIndex, FoldedHash, FoldedEqual> m_index; // by path
};

} // namespace kv
