// The lines of a registry file, kept so that writing it back reproduces every byte nobody
// changed: the file's bytes as read, sections as spans of them, and text of their own only for
// lines a change has touched. A section's lines are split into entries only when a change
// needs them; its values are read from them when their key is first looked at.
#pragma once

#include "EntrySplitter.h"
#include "SourceBytes.h"
#include "KeyTree.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class LineStore final : public ValueSource {
public:
    // Some physical lines with their line ends: a span of the file's bytes until a change
    // gives them text of their own.
    struct Text {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t owned = None; // index into the owned texts
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
        Text header;                                 // with its line end; the preamble's is the REGEDIT4 line
        Text body;                                   // the lines up to the next section, until split
        Text path;                                   // Key and Deletion: the key's "\\"-joined path
        std::uint32_t previous = None;               // the previous section of the same kind and path
        std::uint32_t nextOfKey = None;              // the next section whose values go to the same key
        std::unique_ptr<std::vector<Entry>> entries; // once split
    };

    explicit LineStore(SourceBytes bytes);

    std::string_view bytes() const { return m_bytes.view(); }
    const SourceBytes& file() const { return m_bytes; }
    // A walk through the sections in order is past the lines before this one: the file's
    // bytes behind it may be let go (see SourceBytes::releaseBehind).
    void passed(const Section& section) const {
        if (section.header.owned == None)
            m_bytes.releaseBehind(section.header.offset);
    }
    std::string_view view(const Text& text) const;
    static Text span(std::size_t offset, std::size_t length) {
        return Text{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length), None};
    }
    Text own(std::string content);
    void setText(Text& text, std::string content);

    std::vector<Section>& sections() { return m_sections; }
    const std::vector<Section>& sections() const { return m_sections; }
    // The section's entries, split from its lines at the first call.
    std::vector<Entry>& entries(Section& section);

    void readValues(std::uint32_t first, RegKey& key) const override;

    // The text in consecutive pieces, each unchanged run of the file's bytes as one.
    std::vector<std::string_view> pieces() const;

private:
    SourceBytes m_bytes;                          // the file as read; never changes
    std::deque<std::string> m_owned;            // changed and new lines; never move
    std::vector<Section> m_sections;
};

} // namespace kv
