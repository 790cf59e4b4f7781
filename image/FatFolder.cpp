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
// Windows 98 counts short-name tails up to "~999999".
constexpr unsigned MaxTail = 999999;

std::string displayName(const FatEntry& entry) {
    return entry.longName.empty() ? cp932::toUtf8(entry.shortName) : utf8(entry.longName);
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

// FAT12/16's root folder has a fixed size, and no folder holds more than 65536 entries.
[[noreturn]] void refuseFullFolder(const std::optional<FatEntry>& folder) {
    throw Failure(
        imageText(QT_TRANSLATE_NOOP("DiskImage",
                                    "イメージの中のフォルダ %1 には、もう項目を置く場所がありません。"),
                  {folder ? displayName(*folder) : std::string("\\")}),
        {}, Fault::damagedFileSystem);
}

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

// Takes a run of count free entries: deleted ones, or any from the end mark on, which Windows
// never reads. A folder whose entries run out grows by a zeroed cluster and the run goes on into
// it, so the end mark never stands in front of a new entry; what follows the run is marked as
// the end again.
std::vector<std::uint64_t> FatVolume::freeSlots(const std::optional<FatEntry>& folder, std::size_t count) {
    std::vector<std::uint64_t> slots = folderSlots(folder);
    std::size_t run = 0;
    bool pastEnd = false;
    for (std::size_t i = 0;; ++i) {
        if (i == slots.size())
            growFolder(folder, slots);
        const auto first = static_cast<unsigned char>(m_table.read(slots[i], 1)[0]);
        pastEnd = pastEnd || first == 0;
        run = pastEnd || first == Deleted ? run + 1 : 0;
        if (run < count)
            continue;
        if (pastEnd && i + 1 < slots.size() && m_table.read(slots[i + 1], 1)[0] != 0)
            m_table.write(slots[i + 1], std::string(1, '\0'));
        return {slots.begin() + static_cast<std::ptrdiff_t>(i + 1 - count),
                slots.begin() + static_cast<std::ptrdiff_t>(i + 1)};
    }
}

void FatVolume::growFolder(const std::optional<FatEntry>& folder, std::vector<std::uint64_t>& slots) {
    const FatGeometry& g = geometry();
    if ((!folder && g.fatBits != 32) || (folder && folder->firstCluster == 0) ||
        slots.size() * EntrySize >= MaxFolderBytes)
        refuseFullFolder(folder);
    const std::uint32_t last = static_cast<std::uint32_t>((slots.back() - g.dataOffset) / g.clusterSize + 2);
    const std::uint32_t added = m_table.allocate();
    m_table.setEntry(last, added);
    m_table.write(m_table.clusterOffset(added), std::string(g.clusterSize, '\0'));
    for (std::uint64_t at = 0; at < g.clusterSize; at += EntrySize)
        slots.push_back(m_table.clusterOffset(added) + at);
}

// The short name Windows 98 would give name here: its basis alone when the name fits it exactly
// and no entry has it yet, else the basis with the first free tail from "~1" on.
std::string FatVolume::uniqueShortName(const std::optional<FatEntry>& folder, std::string_view name) {
    const ShortNameBasis basis = shortNameBasis(name);
    const std::vector<FatEntry> entries = list(folder);
    const auto taken = [&](const std::string& candidate) {
        const std::string shown = shortNameOf(candidate);
        return std::any_of(entries.begin(), entries.end(),
                           [&](const FatEntry& e) { return cp932::equalsIgnoreCase(e.shortName, shown); });
    };
    if (basis.exact && !taken(shortEntryName(basis, 0)))
        return shortEntryName(basis, 0);
    for (unsigned n = 1; n <= MaxTail; ++n)
        if (const std::string candidate = shortEntryName(basis, n); !taken(candidate))
            return candidate;
    refuseFullFolder(folder);
}

// The long-name entries in front of a short entry: the last part first, each with its number
// and the short name's checksum.
void FatVolume::writeLongName(const std::vector<std::uint64_t>& slots, std::u16string name,
                              std::uint8_t sum) {
    const std::size_t count = slots.size();
    if (name.size() % CharsPerLongEntry)
        name += u'\0';
    for (std::size_t k = count; k >= 1; --k) {
        std::string e(EntrySize, '\0');
        e[0] = static_cast<char>(k | (k == count ? 0x40 : 0));
        e[11] = static_cast<char>(LongNameAttributes);
        e[13] = static_cast<char>(sum);
        putLongNamePart(e, std::u16string_view(name).substr((k - 1) * CharsPerLongEntry));
        m_table.write(slots[count - k], e);
    }
}

// Any name Windows can hold: a short entry, and in front of it long-name entries unless the
// name is its own short name.
FatEntry FatVolume::addEntry(const std::optional<FatEntry>& folder, std::string_view name,
                             std::uint8_t attributes, std::uint32_t firstCluster, std::uint32_t size) {
    const auto longName = longNameOf(name);
    if (!longName)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP(
                          "DiskImage",
                          "%1 は Windows のファイル名に使えない名前なので、イメージの中に作れません。"),
                      {cp932::toUtf8(name)}),
            {}, Fault::damagedFileSystem);
    const std::string shortName = uniqueShortName(folder, name);
    const bool needsLong = shortNameOf(shortName) != name;
    const std::size_t longCount =
        needsLong ? (longName->size() + CharsPerLongEntry - 1) / CharsPerLongEntry : 0;
    const auto slots = freeSlots(folder, longCount + 1);
    writeLongName({slots.begin(), slots.end() - 1}, *longName, checksum(shortName));
    std::string e(EntrySize, '\0');
    e.replace(0, 11, shortName);
    e[11] = static_cast<char>(attributes);
    stampNow(e);
    e.replace(14, 4, e.substr(22, 4)); // created now, too
    setFirstClusterAndSize(e, firstCluster, size);
    m_table.write(slots.back(), e);
    FatEntry made{
        shortNameOf(shortName), needsLong ? *longName : std::u16string(), attributes, firstCluster, size,
        slots.back(),           {slots.begin(), slots.end() - 1}};
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
