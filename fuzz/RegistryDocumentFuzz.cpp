// Hostile registry files: the parser must never crash, must write back what it read byte for
// byte, and a change must read back as the tree it made.
#include "EntrySplitter.h"
#include "RegistryDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Loading follows values by the shape of their lines; the section headers it finds must be
// those that reading every line in full finds.
std::vector<std::size_t> sectionStarts(std::string_view text, kv::EntrySplitter::Mode mode) {
    std::vector<std::size_t> starts;
    kv::EntrySplitter splitter(text, mode);
    for (kv::RawEntry entry; splitter.next(entry);)
        if (entry.kind == kv::RawEntry::Kind::Section)
            starts.push_back(entry.offset);
    return starts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        kv::RegistryDocument doc = kv::RegistryDocument::parse(text);
        if (doc.text() != text)
            std::abort();
        doc.malformedLines();
        if (sectionStarts(text, kv::EntrySplitter::Mode::Exact) !=
            sectionStarts(text, kv::EntrySplitter::Mode::Sections))
            std::abort();
        if (!(kv::RegistryDocument::parse(doc.text()).tree() == doc.tree()))
            std::abort();
        // Change the first key the file names, and add one.
        const kv::RegKey& top = doc.tree();
        if (!top.children().empty()) {
            kv::KeyPath path{top.children().front()->name()};
            if (const auto children = top.children().front()->children(); !children.empty())
                path.push_back(children.back()->name());
            doc.apply({kv::Change::Kind::SetValue, path, {"Fuzz", kv::RegBinary, std::string(40, '\x5c')}});
            doc.apply({kv::Change::Kind::SetValue, path, {"", kv::RegString, std::string("\x83\x5c\0", 3)}});
            if (path.size() > 1)
                doc.apply({kv::Change::Kind::RemoveKey, path, {}});
        }
        doc.apply({kv::Change::Kind::CreateKey, {"HKEY_LOCAL_MACHINE", "Fuzz"}, {}});
        if (!(kv::RegistryDocument::parse(doc.text()).tree() == doc.tree()))
            std::abort();
    } catch (const kv::RegistryFileError&) {
    }
    return 0;
}
