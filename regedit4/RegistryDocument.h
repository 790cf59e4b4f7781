// A registry.reg file held two ways: as the key tree it describes, read the way Windows 98's
// regedit reads REGEDIT4 text, and as its own lines, so that a change rewrites only the lines
// it touches and everything else (comments, order, line ends, lines regedit would skip) is
// written back byte for byte.
//
// Loading makes the keys only. A key's values are read from its lines when they are first
// looked at, and the malformed lines are listed when first asked for, or before the first change.
#pragma once

#include "Failure.h"
#include "KeyTree.h"
#include "SettingsStore.h"
#include "SourceBytes.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class LineStore;
class RegistryEditor;

// The failure of a file that is not REGEDIT4 text at all; such a file is never written to.
// Its message is "file: reason", the reason a text marked in the context "RegistryFile"; the
// system's reason, when given, follows it.
Failure registryFileFailure(std::string_view file, const char* reason, std::vector<std::string> args = {},
                            std::error_code systemReason = {});
// The same failure, naming another file.
Failure namingFile(const Failure& failure, std::string_view file);

class RegistryDocument {
public:
    // An empty registry: the header line only.
    RegistryDocument();
    ~RegistryDocument();
    // Throws registryFileFailure (naming fileName) when the text is not REGEDIT4 at all.
    // fileName also prefixes the malformed-line reports.
    static RegistryDocument parse(std::string_view text, std::string_view fileName = "registry.reg");
    // Throws registryFileFailure, naming fileName, when the start of a file shows that it is not
    // REGEDIT4 text: it is empty, UTF-16 with a byte-order mark, or its first line is no header.
    static void checkOpening(std::string_view start, std::string_view fileName);
    // The same, keeping bytes as the document's own: lines nobody changes stay views into them.
    static RegistryDocument fromBytes(std::string bytes, std::string_view fileName = "registry.reg");
    static RegistryDocument fromBytes(SourceBytes bytes, std::string_view fileName = "registry.reg");

    RegistryDocument(RegistryDocument&&) noexcept;
    RegistryDocument& operator=(RegistryDocument&&) noexcept;

    const RegKey& tree() const { return m_top->key; }
    // Whether the file was cut short under the document, so that some of its lines now read as
    // zeros: what it says, and its text, are then no longer the file's.
    bool bytesLost() const;
    // The bytes the document was read from, as they were read.
    const SourceBytes& source() const;
    // "registry.reg:LINE: reason" for every line that had no effect because it is malformed.
    const std::vector<Message>& malformedLines() const;
    // Their line numbers, from 1, in the same order.
    const std::vector<std::size_t>& malformedLineNumbers() const;

    // Changes the tree as applyChange does, and the lines as little as that needs.
    void apply(const Change& change);
    std::string text() const;
    // The same text in consecutive pieces, each unchanged run of the file's lines as one: a
    // writer can send them on without first copying the whole file.
    std::vector<std::string_view> pieces() const;

    // One value as a REGEDIT4 entry, the way regedit writes it; eol ends every physical line.
    static std::string formatValue(const RegValue& value, std::string_view eol);

private:
    explicit RegistryDocument(SourceBytes bytes);
    // brackets: how many "[" the text holds.
    void load(std::size_t brackets);
    void listMalformedLines() const;

    // On the heap, so that the keys' links to their lines and the editor's links to both
    // survive a move of the document.
    std::unique_ptr<LineStore> m_lines;
    // A block of its own rather than a pooled key: an empty document, such as a store's before
    // it loads, holds none of the pool's keys, so that a load can have them handed out in order.
    struct Top {
        RegKey key{""};
    };
    std::unique_ptr<Top> m_top;
    std::unique_ptr<RegistryEditor> m_editor; // made at the first change
    std::string m_fileName;
    mutable std::optional<std::vector<Message>> m_malformed;
    mutable std::vector<std::size_t> m_malformedNumbers;
};

} // namespace kv
