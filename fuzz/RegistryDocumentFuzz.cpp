// Hostile registry files: the parser must never crash, must write back what it read byte for
// byte, and a change must read back as the tree it made.
#include "Cp932.h"
#include "EntrySplitter.h"
#include "RegistryDocument.h"
#include "SectionScanner.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Loading looks only at lines that start with "[" and the lines before them; the section
// headers it finds must be those that reading every line in full finds.
std::vector<std::size_t> exactSectionStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    kv::EntrySplitter splitter(text);
    for (kv::RawEntry entry; splitter.next(entry);)
        if (entry.kind == kv::RawEntry::Kind::Section)
            starts.push_back(entry.offset);
    return starts;
}

std::vector<std::size_t> scannedSectionStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    kv::RawEntry entry;
    kv::EntrySplitter(text).next(entry); // the REGEDIT4 line
    kv::SectionScanner scanner(text, entry.length);
    while (scanner.next(entry))
        starts.push_back(entry.offset);
    return starts;
}

// The keys the file makes, built the plain way: every line read in full, every path split
// anew and looked up from the top.
kv::RegKey plainKeys(std::string_view text) {
    kv::RegKey top("");
    kv::EntrySplitter splitter(text);
    for (kv::RawEntry entry; splitter.next(entry);) {
        if (entry.kind != kv::RawEntry::Kind::Section ||
            entry.section.effect == kv::SectionLine::Effect::CloseKey)
            continue;
        kv::KeyPath path{std::string(entry.section.hive)};
        const auto parts = cp932::split(entry.section.path.substr(entry.section.hive.size()));
        for (std::size_t i = 1; i < parts.size(); ++i)
            if (!parts[i].empty())
                path.push_back(parts[i]);
        if (entry.section.effect == kv::SectionLine::Effect::OpenKey) {
            top.ensure(path);
        } else if (kv::RegKey* parent = top.find(kv::KeyPath(path.begin(), path.end() - 1))) {
            parent->removeChild(path.back());
        }
    }
    return top;
}

bool sameKeys(const kv::RegKey& a, const kv::RegKey& b) {
    const auto x = a.children(), y = b.children();
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i]->name() != y[i]->name() || !sameKeys(*x[i], *y[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        kv::RegistryDocument doc = kv::RegistryDocument::parse(text);
        if (doc.text() != text)
            std::abort();
        doc.malformedLines();
        if (exactSectionStarts(text) != scannedSectionStarts(text) || !sameKeys(doc.tree(), plainKeys(text)))
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
    } catch (const kv::Failure&) {
    }
    return 0;
}
