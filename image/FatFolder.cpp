// A FAT volume's folders: listing their entries (long names tied to their short entries by the
// checksum), finding a name, taking free entries for a new one, and making a folder.
#include "FatVolume.h"

#include "Cp932.h"
#include "FatNames.h"
#include "LittleEndian.h"

#include <algorithm>

namespace kv::image {

using namespace fatname;

namespace {

constexpr std::uint8_t LongNameAttributes = 0x0F;
constexpr std::uint8_t VolumeLabel = 0x08;
constexpr unsigned char Deleted = 0xE5;
// A folder holds at most 65536 entries.
constexpr std::uint64_t MaxFolderBytes = 65536ull * EntrySize;

[[noreturn]] void damaged(const std::string& text) {
    throw Failure(Message::verbatim(text), {}, Fault::damagedFileSystem);
}

// Gathers the long-name entries in front of a short entry. A long name counts only when its
// parts are whole and in order and match the short entry's checksum.
class LongNameReader {
public:
    void deleted() { m_expected = 0; }

    void add(std::string_view e, std::uint64_t slot) {
        const auto first = static_cast<unsigned char>(e[0]);
        const int sequence = first & 0x1F;
        if (first & 0x40) {
            m_expected = sequence;
            m_sum = static_cast<std::uint8_t>(e[13]);
            m_name.assign(std::size_t(sequence) * CharsPerLongEntry, u'\0');
            m_slots.clear();
        }
        if (m_expected == 0 || sequence != m_expected || sequence == 0 ||
            static_cast<std::uint8_t>(e[13]) != m_sum) {
            m_expected = 0;
            return;
        }
        m_name.replace(std::size_t(sequence - 1) * CharsPerLongEntry, CharsPerLongEntry, longNamePart(e));
        m_slots.push_back(slot);
        m_expected = sequence - 1 == 0 ? -1 : sequence - 1;
    }

    // Hands the long name to the short entry that ends it, when it belongs to that entry.
    void finish(std::string_view shortName11, FatEntry& entry) {
        if (m_expected == -1 && checksum(shortName11) == m_sum) {
            entry.longName = m_name.substr(0, m_name.find(u'\0'));
            entry.longNameSlots = m_slots;
        }
        m_expected = 0;
    }

private:
    std::u16string m_name;
    std::vector<std::uint64_t> m_slots;
    int m_expected = 0; // the sequence number due next; -1 once the name is whole
    std::uint8_t m_sum = 0;
};

} // namespace

std::vector<std::uint64_t> FatVolume::folderSlots(const std::optional<FatEntry>& folder) {
    std::vector<std::uint64_t> slots;
    const FatGeometry& g = m_table.geometry();
    if (!folder && g.fatBits != 32) {
        for (std::uint64_t at = 0; at < g.rootSize; at += EntrySize)
            slots.push_back(g.rootOffset + at);
        return slots;
    }
    const std::uint32_t first = folder ? folder->firstCluster : g.rootCluster;
    if (first == 0)
        return slots; // an empty folder written by a careless tool
    for (std::uint32_t cluster : m_table.chain(first, MaxFolderBytes / g.clusterSize + 1, true))
        for (std::uint64_t at = 0; at < g.clusterSize; at += EntrySize)
            slots.push_back(m_table.clusterOffset(cluster) + at);
    return slots;
}

// The folder's files and folders, without "." and "..", deleted entries and the volume label.
// The listing ends at the first entry that starts with 0, where Windows stops reading.
std::vector<FatEntry> FatVolume::list(const std::optional<FatEntry>& folder) {
    std::vector<FatEntry> out;
    LongNameReader longName;
    for (std::uint64_t slot : folderSlots(folder)) {
        const std::string e = m_table.read(slot, EntrySize);
        const auto first = static_cast<unsigned char>(e[0]);
        const auto attributes = static_cast<std::uint8_t>(e[11]);
        if (first == 0)
            break;
        if (first == Deleted) {
            longName.deleted();
            continue;
        }
        if ((attributes & 0x3F) == LongNameAttributes) {
            longName.add(e, slot);
            continue;
        }
        FatEntry entry;
        entry.shortName = shortNameOf(std::string_view(e).substr(0, 11));
        longName.finish(std::string_view(e).substr(0, 11), entry);
        entry.attributes = attributes;
        entry.firstCluster = le::get16(e, 26) | (geometry().fatBits == 32 ? le::get16(e, 20) << 16 : 0);
        entry.size = le::get32(e, 28);
        entry.slot = slot;
        if (!(attributes & VolumeLabel) && entry.shortName != "." && entry.shortName != "..")
            out.push_back(std::move(entry));
    }
    return out;
}

std::optional<FatEntry> FatVolume::findIn(const std::optional<FatEntry>& folder, std::string_view name) {
    const std::string wanted = cp932::toUtf8(name);
    for (FatEntry& entry : list(folder))
        if (cp932::equalsIgnoreCase(entry.shortName, name) ||
            (!entry.longName.empty() && sameAsciiFolded(utf8(entry.longName), wanted)))
            return std::move(entry);
    return std::nullopt;
}

std::vector<std::uint64_t> FatVolume::freeSlots(const std::optional<FatEntry>& folder, std::size_t count) {
    const std::vector<std::uint64_t> slots = folderSlots(folder);
    std::size_t run = 0;
    bool pastEnd = false;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto first = static_cast<unsigned char>(m_table.read(slots[i], 1)[0]);
        pastEnd = pastEnd || first == 0;
        run = pastEnd || first == Deleted ? run + 1 : 0;
        if (run < count)
            continue;
        // Entries that follow the end mark were never seen; they must stay unseen.
        if (pastEnd && i + 1 < slots.size() && m_table.read(slots[i + 1], 1)[0] != 0)
            m_table.write(slots[i + 1], std::string(1, '\0'));
        return {slots.begin() + static_cast<std::ptrdiff_t>(i + 1 - count),
                slots.begin() + static_cast<std::ptrdiff_t>(i + 1)};
    }
    if ((!folder && geometry().fatBits != 32) || (folder && folder->firstCluster == 0))
        damaged("a folder in the image has no room for another entry");
    const std::uint32_t first = folder ? folder->firstCluster : geometry().rootCluster;
    const std::uint32_t last = m_table.chain(first, MaxFolderBytes / geometry().clusterSize + 1, true).back();
    const std::uint32_t added = m_table.allocate();
    m_table.setEntry(last, added);
    m_table.write(m_table.clusterOffset(added), std::string(geometry().clusterSize, '\0'));
    std::vector<std::uint64_t> fresh;
    for (std::size_t i = 0; i < count; ++i)
        fresh.push_back(m_table.clusterOffset(added) + i * EntrySize);
    return fresh;
}

FatEntry FatVolume::addEntry(const std::optional<FatEntry>& folder, std::string_view name,
                             std::uint8_t attributes, std::uint32_t firstCluster, std::uint32_t size) {
    const auto shortName = plainShortName(name);
    if (!shortName)
        damaged("cannot create " + cp932::toUtf8(name) + " in the image: Kavendel makes only 8.3 names");
    // A name in lower or mixed case keeps its spelling in a long name, as Windows writes it.
    const bool needsLong = std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    std::u16string longName(name.begin(), name.end());
    if (longName.size() % CharsPerLongEntry)
        longName += u'\0';
    const std::size_t longCount = needsLong ? (name.size() + CharsPerLongEntry - 1) / CharsPerLongEntry : 0;
    const auto slots = freeSlots(folder, longCount + 1);
    const std::uint8_t sum = checksum(*shortName);
    FatEntry made;
    for (std::size_t k = longCount; k >= 1; --k) {
        std::string e(EntrySize, '\0');
        e[0] = static_cast<char>(k | (k == longCount ? 0x40 : 0));
        e[11] = static_cast<char>(LongNameAttributes);
        e[13] = static_cast<char>(sum);
        putLongNamePart(e, std::u16string_view(longName).substr((k - 1) * CharsPerLongEntry));
        m_table.write(slots[longCount - k], e);
        made.longNameSlots.push_back(slots[longCount - k]);
    }
    std::string e(EntrySize, '\0');
    e.replace(0, 11, *shortName);
    e[11] = static_cast<char>(attributes);
    stampNow(e);
    e.replace(14, 4, e.substr(22, 4)); // created now, too
    setFirstClusterAndSize(e, firstCluster, size);
    m_table.write(slots.back(), e);
    made.shortName = shortNameOf(*shortName);
    made.attributes = attributes;
    made.firstCluster = firstCluster;
    made.size = size;
    made.slot = slots.back();
    return made;
}

// A new folder holds "." and "..", whose cluster is 0 when the parent is the root.
FatEntry FatVolume::makeFolder(const std::optional<FatEntry>& parent, std::string_view name) {
    const std::uint32_t cluster = m_table.allocate();
    std::string entries(geometry().clusterSize, '\0');
    for (std::uint32_t k = 0; k < 2; ++k) {
        std::string e(EntrySize, '\0');
        e.replace(0, 11, k == 0 ? ".          " : "..         ");
        e[11] = static_cast<char>(FatEntry::Directory);
        stampNow(e);
        setFirstClusterAndSize(e, k == 0 ? cluster : parent ? parent->firstCluster : 0, 0);
        entries.replace(k * EntrySize, EntrySize, e);
    }
    m_table.write(m_table.clusterOffset(cluster), entries);
    return addEntry(parent, name, FatEntry::Directory, cluster, 0);
}

} // namespace kv::image
