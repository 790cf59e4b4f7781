#include "FatVolume.h"

#include "Cp932.h"

#include <algorithm>
#include <ctime>

namespace kv::image {

namespace {

// The cache works in blocks this large: few enough reads for a whole FAT, and a change of a
// few bytes reads little around it.
constexpr std::uint64_t BlockSize = 64 * 1024;
// Clean blocks beyond this many are dropped, so a scan of a large FAT stays small in memory.
constexpr std::size_t CachedBlocks = 256;
constexpr std::uint32_t EntrySize = 32;
constexpr std::uint8_t LongNameAttributes = 0x0F;
constexpr std::uint8_t VolumeLabel = 0x08;
constexpr std::uint8_t Archive = 0x20;
constexpr unsigned char Deleted = 0xE5;
// A folder holds at most 65536 entries.
constexpr std::uint64_t MaxFolderBytes = 65536ull * EntrySize;

std::uint32_t le(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

void putLe(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool isPowerOfTwo(std::uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

// A volume that is not FAT, is damaged where Kavendel needs it, or cannot hold a change: a
// failure of Fault::damagedFileSystem, which callers tell apart from one to read the image.
[[noreturn]] void damaged(const std::string& text) {
    throw Failure(Message::verbatim(text), {}, Fault::damagedFileSystem);
}

std::string notFat(const std::string& why) {
    return "the partition holds no FAT file system Kavendel can use: " + why;
}

std::uint8_t checksum(std::string_view shortName11) {
    std::uint8_t sum = 0;
    for (char c : shortName11)
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<unsigned char>(c));
    return sum;
}

std::string utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// ASCII letters compared without case; every other byte exactly.
bool sameAsciiFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// "NAME.EXT" from the entry's 11 bytes; a first byte 0x05 stands for 0xE5, a CP932 lead byte.
std::string shortNameOf(std::string_view raw) {
    std::string base(raw.substr(0, 8));
    std::string ext(raw.substr(8, 3));
    if (!base.empty() && static_cast<unsigned char>(base[0]) == 0x05)
        base[0] = static_cast<char>(Deleted);
    base.erase(base.find_last_not_of(' ') + 1);
    ext.erase(ext.find_last_not_of(' ') + 1);
    return ext.empty() ? base : base + "." + ext;
}

// The 11 bytes of an 8.3 name made of plain ASCII, upper-cased, or nullopt.
std::optional<std::string> plainShortName(std::string_view name) {
    const auto dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string_view::npos)
        return std::nullopt;
    std::string out(11, ' ');
    auto put = [&](std::string_view part, std::size_t at) {
        for (char c : part) {
            if (!(std::isalnum(static_cast<unsigned char>(c)) ||
                  std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos) ||
                static_cast<unsigned char>(c) >= 0x80)
                return false;
            out[at++] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return true;
    };
    if (!put(base, 0) || !put(ext, 8))
        return std::nullopt;
    return out;
}

// The path's parts below the root of drive C, or nullopt for another drive or one that leaves
// the root through "..".
std::optional<std::vector<std::string>> pathParts(std::string_view windowsPath) {
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        if (windowsPath[0] != 'C' && windowsPath[0] != 'c')
            return std::nullopt;
        windowsPath.remove_prefix(2);
    }
    std::vector<std::string> parts;
    for (const std::string& piece : cp932::split(windowsPath)) {
        std::size_t start = 0;
        for (std::size_t end; start <= piece.size(); start = end + 1) {
            end = std::min(piece.find('/', start), piece.size());
            const std::string part = piece.substr(start, end - start);
            if (part == "..") {
                if (parts.empty())
                    return std::nullopt;
                parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
        }
    }
    return parts;
}

// Windows 98 keeps local time in entries.
void stampNow(std::string& entry) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const auto date = static_cast<std::uint32_t>(((std::max(local.tm_year, 80) - 80) << 9) |
                                                 ((local.tm_mon + 1) << 5) | local.tm_mday);
    const auto time =
        static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    putLe(entry, 22, time, 2);
    putLe(entry, 24, date, 2);
    putLe(entry, 18, date, 2);
}

} // namespace

FatGeometry readGeometry(Volume& volume) {
    const std::uint64_t available = volume.location().size;
    if (available < 512)
        damaged(notFat("it is smaller than one sector"));
    const std::string boot = volume.read(0, 512);
    FatGeometry g;
    g.bytesPerSector = le(boot, 11, 2);
    const std::uint32_t sectorsPerCluster = le(boot, 13, 1);
    const std::uint32_t reserved = le(boot, 14, 2);
    g.fatCount = static_cast<int>(le(boot, 16, 1));
    const std::uint32_t rootEntries = le(boot, 17, 2);
    const std::uint64_t sectors = le(boot, 19, 2) ? le(boot, 19, 2) : le(boot, 32, 4);
    const std::uint64_t fatSectors = le(boot, 22, 2) ? le(boot, 22, 2) : le(boot, 36, 4);
    if (le(boot, 510, 2) != 0xAA55 || (g.bytesPerSector != 512 && g.bytesPerSector != 1024 &&
                                       g.bytesPerSector != 2048 && g.bytesPerSector != 4096))
        damaged(notFat("its first sector is not a FAT boot sector"));
    if (!isPowerOfTwo(sectorsPerCluster) || sectorsPerCluster * g.bytesPerSector > 65536 || reserved == 0 ||
        g.fatCount < 1 || g.fatCount > 4 || fatSectors == 0 || sectors == 0)
        damaged(notFat("its boot sector describes an impossible layout"));
    g.clusterSize = sectorsPerCluster * g.bytesPerSector;
    g.volumeSize = sectors * g.bytesPerSector;
    g.fatOffset = std::uint64_t{reserved} * g.bytesPerSector;
    g.fatSize = fatSectors * g.bytesPerSector;
    g.rootOffset = g.fatOffset + g.fatSize * static_cast<std::uint64_t>(g.fatCount);
    g.rootSize = std::uint64_t{rootEntries} * EntrySize;
    g.dataOffset = g.rootOffset + (g.rootSize + g.bytesPerSector - 1) / g.bytesPerSector * g.bytesPerSector;
    if (g.volumeSize > available)
        damaged("the FAT volume runs past the end of its partition or image: the image is truncated or "
                "its partition table is wrong");
    if (g.dataOffset >= g.volumeSize)
        damaged(notFat("its boot sector leaves no room for data"));
    const std::uint64_t clusters = (g.volumeSize - g.dataOffset) / g.clusterSize;
    g.fatBits = clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32;
    if (g.fatBits == 32) {
        if (rootEntries != 0)
            damaged(notFat("its boot sector mixes FAT16 and FAT32"));
        g.rootCluster = le(boot, 44, 4);
        const std::uint32_t infoSector = le(boot, 48, 2);
        if (infoSector != 0 && infoSector != 0xFFFF && infoSector < reserved)
            g.fsInfoOffset = std::uint64_t{infoSector} * g.bytesPerSector;
    }
    g.clusterCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, 0x0FFFFFF5));
    if ((std::uint64_t{g.clusterCount} + 2) * static_cast<std::uint64_t>(g.fatBits) > g.fatSize * 8)
        damaged(notFat("its FAT is too small for its clusters"));
    if (g.fatBits == 32 && (g.rootCluster < 2 || g.rootCluster >= g.clusterCount + 2))
        damaged(notFat("its root folder lies outside the volume"));
    return g;
}

FatVolume::FatVolume(Volume& volume)
    : m_volume(volume)
    , m_geometry(readGeometry(volume)) {
    if (m_geometry.fsInfoOffset) {
        const std::string info = readBytes(m_geometry.fsInfoOffset, 512);
        const std::uint32_t hint = le(info, 492, 4);
        if (le(info, 0, 4) == 0x41615252 && le(info, 484, 4) == 0x61417272 && hint >= 2 &&
            hint < m_geometry.clusterCount + 2)
            m_nextFree = hint;
    }
}

FatVolume::Block& FatVolume::block(std::uint64_t index) {
    auto found = m_blocks.find(index);
    if (found != m_blocks.end())
        return found->second;
    evictClean();
    const std::uint64_t start = index * BlockSize;
    const std::uint64_t length = std::min(BlockSize, m_geometry.volumeSize - start);
    Block fresh;
    fresh.bytes = m_volume.read(start, static_cast<std::size_t>(length));
    return m_blocks.emplace(index, std::move(fresh)).first->second;
}

void FatVolume::evictClean() {
    if (m_blocks.size() < CachedBlocks)
        return;
    for (auto it = m_blocks.begin(); it != m_blocks.end();)
        it = it->second.dirty ? std::next(it) : m_blocks.erase(it);
}

std::string FatVolume::readBytes(std::uint64_t offset, std::size_t length) {
    if (offset + length > m_geometry.volumeSize)
        damaged("the file system points past the end of its volume");
    std::string out;
    out.reserve(length);
    while (out.size() < length) {
        const std::uint64_t at = offset + out.size();
        const Block& b = block(at / BlockSize);
        const std::size_t from = static_cast<std::size_t>(at % BlockSize);
        out.append(b.bytes, from, std::min(length - out.size(), b.bytes.size() - from));
    }
    return out;
}

void FatVolume::writeBytes(std::uint64_t offset, std::string_view bytes) {
    if (offset + bytes.size() > m_geometry.volumeSize)
        damaged("the file system points past the end of its volume");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::uint64_t at = offset + done;
        Block& b = block(at / BlockSize);
        if (!b.dirty) {
            b.original = b.bytes;
            b.dirty = true;
        }
        const std::size_t from = static_cast<std::size_t>(at % BlockSize);
        const std::size_t n = std::min(bytes.size() - done, b.bytes.size() - from);
        b.bytes.replace(from, n, bytes.substr(done, n));
        done += n;
    }
}

std::vector<VolumeWrite> FatVolume::writes() const {
    // Runs closer than this are joined, so a changed entry is one write, not several.
    constexpr std::size_t Join = 64;
    std::vector<VolumeWrite> out;
    for (const auto& [index, b] : m_blocks) {
        if (!b.dirty)
            continue;
        for (std::size_t i = 0; i < b.bytes.size();) {
            if (b.bytes[i] == b.original[i]) {
                ++i;
                continue;
            }
            std::size_t end = i + 1, same = 0;
            for (std::size_t j = end; j < b.bytes.size() && same < Join; ++j) {
                same = b.bytes[j] == b.original[j] ? same + 1 : 0;
                if (!same)
                    end = j + 1;
            }
            const std::uint64_t offset = index * BlockSize + i;
            if (!out.empty() && out.back().offset + out.back().bytes.size() == offset) {
                out.back().bytes += b.bytes.substr(i, end - i);
                out.back().before += b.original.substr(i, end - i);
            } else {
                out.push_back({offset, b.bytes.substr(i, end - i), b.original.substr(i, end - i)});
            }
            i = end;
        }
    }
    return out;
}

std::uint32_t FatVolume::fatEntry(std::uint32_t cluster) {
    const FatGeometry& g = m_geometry;
    if (g.fatBits == 32)
        return le(readBytes(g.fatOffset + std::uint64_t{cluster} * 4, 4), 0, 4) & 0x0FFFFFFF;
    if (g.fatBits == 16)
        return le(readBytes(g.fatOffset + std::uint64_t{cluster} * 2, 2), 0, 2);
    const std::uint32_t pair = le(readBytes(g.fatOffset + cluster + cluster / 2, 2), 0, 2);
    return cluster % 2 ? pair >> 4 : pair & 0xFFF;
}

// Every copy of the FAT gets the same entry, as Windows keeps them.
void FatVolume::setFatEntry(std::uint32_t cluster, std::uint32_t value) {
    const FatGeometry& g = m_geometry;
    for (int copy = 0; copy < g.fatCount; ++copy) {
        const std::uint64_t fat = g.fatOffset + g.fatSize * static_cast<std::uint64_t>(copy);
        if (g.fatBits == 32) {
            std::string bytes = readBytes(fat + std::uint64_t{cluster} * 4, 4);
            putLe(bytes, 0, (le(bytes, 0, 4) & 0xF0000000) | (value & 0x0FFFFFFF), 4);
            writeBytes(fat + std::uint64_t{cluster} * 4, bytes);
        } else if (g.fatBits == 16) {
            std::string bytes(2, '\0');
            putLe(bytes, 0, value, 2);
            writeBytes(fat + std::uint64_t{cluster} * 2, bytes);
        } else {
            const std::uint64_t at = fat + cluster + cluster / 2;
            std::string bytes = readBytes(at, 2);
            const std::uint32_t pair = le(bytes, 0, 2);
            putLe(bytes, 0,
                  cluster % 2 ? (pair & 0x000F) | ((value & 0xFFF) << 4) : (pair & 0xF000) | (value & 0xFFF),
                  2);
            writeBytes(at, bytes);
        }
    }
}

bool FatVolume::isEnd(std::uint32_t value) const {
    return value >= (m_geometry.fatBits == 32 ? 0x0FFFFFF8u : m_geometry.fatBits == 16 ? 0xFFF8u : 0xFF8u);
}

std::uint32_t FatVolume::endMark() const {
    return m_geometry.fatBits == 32 ? 0x0FFFFFFF : m_geometry.fatBits == 16 ? 0xFFFF : 0xFFF;
}

std::uint64_t FatVolume::clusterOffset(std::uint32_t cluster) const {
    return m_geometry.dataOffset + std::uint64_t{cluster - 2} * m_geometry.clusterSize;
}

// The chain from first: at most limit clusters, or, with wholeChain, up to its end mark. A loop,
// a free, bad or out-of-range cluster, or a chain that ends before limit is damage.
std::vector<std::uint32_t> FatVolume::chain(std::uint32_t first, std::uint64_t limit, bool wholeChain) {
    const std::uint32_t last = m_geometry.clusterCount + 1;
    std::vector<bool> seen(std::size_t{last} + 1, false);
    std::vector<std::uint32_t> out;
    for (std::uint32_t cluster = first; wholeChain || out.size() < limit;) {
        if (cluster < 2 || cluster > last)
            damaged("a cluster chain in the FAT points outside the volume");
        if (seen[cluster])
            damaged("a cluster chain in the FAT runs in a loop");
        seen[cluster] = true;
        out.push_back(cluster);
        const std::uint32_t next = fatEntry(cluster);
        if (isEnd(next)) {
            if (!wholeChain && out.size() < limit)
                damaged("a cluster chain in the FAT is shorter than its file");
            break;
        }
        if (out.size() >= limit && wholeChain && limit != 0)
            damaged("a cluster chain in the FAT is longer than its file allows");
        cluster = next;
    }
    return out;
}

std::uint32_t FatVolume::allocate() {
    const std::uint32_t count = m_geometry.clusterCount;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t cluster = 2 + (m_nextFree - 2 + i) % count;
        if (fatEntry(cluster) == 0) {
            setFatEntry(cluster, endMark());
            m_nextFree = cluster;
            --m_freeDelta;
            return cluster;
        }
    }
    damaged("the FAT volume in the image is full");
}

void FatVolume::freeChain(std::uint32_t first) {
    if (first == 0)
        return;
    for (std::uint32_t cluster : chain(first, m_geometry.clusterCount, true)) {
        setFatEntry(cluster, 0);
        ++m_freeDelta;
    }
}

std::vector<std::uint64_t> FatVolume::folderSlots(const std::optional<FatEntry>& folder) {
    std::vector<std::uint64_t> slots;
    const FatGeometry& g = m_geometry;
    if (!folder && g.fatBits != 32) {
        for (std::uint64_t at = 0; at < g.rootSize; at += EntrySize)
            slots.push_back(g.rootOffset + at);
        return slots;
    }
    const std::uint32_t first = folder ? folder->firstCluster : g.rootCluster;
    if (first == 0)
        return slots; // an empty folder written by a careless tool
    for (std::uint32_t cluster : chain(first, MaxFolderBytes / g.clusterSize + 1, true))
        for (std::uint64_t at = 0; at < g.clusterSize; at += EntrySize)
            slots.push_back(clusterOffset(cluster) + at);
    return slots;
}

// The folder's files and folders, without "." and "..", deleted entries and the volume label.
// A long name counts only when its parts are whole and in order and match the short entry.
std::vector<FatEntry> FatVolume::list(const std::optional<FatEntry>& folder) {
    std::vector<FatEntry> out;
    std::u16string longName;
    std::vector<std::uint64_t> longSlots;
    int expected = 0;
    std::uint8_t sum = 0;
    for (std::uint64_t slot : folderSlots(folder)) {
        const std::string e = readBytes(slot, EntrySize);
        const auto first = static_cast<unsigned char>(e[0]);
        if (first == 0)
            break;
        const auto attributes = static_cast<std::uint8_t>(e[11]);
        if (first == Deleted) {
            expected = 0;
        } else if ((attributes & 0x3F) == LongNameAttributes) {
            const int sequence = first & 0x1F;
            if (first & 0x40) {
                expected = sequence;
                sum = static_cast<std::uint8_t>(e[13]);
                longName.assign(std::size_t(sequence) * 13, u'\0');
                longSlots.clear();
            }
            if (expected == 0 || sequence != expected || sequence == 0 ||
                static_cast<std::uint8_t>(e[13]) != sum) {
                expected = 0;
                continue;
            }
            static constexpr int Offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
            for (int i = 0; i < 13; ++i)
                longName[std::size_t(sequence - 1) * 13 + std::size_t(i)] =
                    static_cast<char16_t>(le(e, static_cast<std::size_t>(Offsets[i]), 2));
            longSlots.push_back(slot);
            expected = sequence - 1 == 0 ? -1 : sequence - 1;
        } else {
            const bool named = expected == -1 && checksum(std::string_view(e).substr(0, 11)) == sum;
            expected = 0;
            FatEntry entry;
            entry.shortName = shortNameOf(std::string_view(e).substr(0, 11));
            if (named)
                entry.longName = longName.substr(0, longName.find(u'\0'));
            entry.longNameSlots = named ? longSlots : std::vector<std::uint64_t>{};
            entry.attributes = attributes;
            entry.firstCluster = le(e, 26, 2) | (m_geometry.fatBits == 32 ? le(e, 20, 2) << 16 : 0);
            entry.size = le(e, 28, 4);
            entry.slot = slot;
            if (!(attributes & VolumeLabel) && entry.shortName != "." && entry.shortName != "..")
                out.push_back(std::move(entry));
        }
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

std::optional<FatEntry> FatVolume::find(std::string_view windowsPath) {
    const auto parts = pathParts(windowsPath);
    if (!parts || parts->empty())
        return std::nullopt;
    std::optional<FatEntry> at;
    for (const std::string& part : *parts) {
        if (at && !at->isDirectory())
            return std::nullopt;
        at = findIn(at, part);
        if (!at)
            return std::nullopt;
    }
    return at;
}

std::string FatVolume::read(const FatEntry& file, std::uint64_t maxSize) {
    if (file.isDirectory())
        damaged("it is a folder, not a file");
    if (file.size > maxSize)
        damaged("it is " + std::to_string(file.size) + " bytes long, more than Kavendel reads (" +
                std::to_string(maxSize) + ")");
    const std::uint64_t clusters =
        (std::uint64_t{file.size} + m_geometry.clusterSize - 1) / m_geometry.clusterSize;
    std::string out;
    out.reserve(file.size);
    const auto list = chain(file.firstCluster, clusters, false);
    for (std::size_t i = 0; i < list.size();) {
        std::size_t run = 1;
        while (i + run < list.size() && list[i + run] == list[i] + run)
            ++run;
        const std::uint64_t length =
            std::min<std::uint64_t>(run * std::uint64_t{m_geometry.clusterSize}, file.size - out.size());
        out += readBytes(clusterOffset(list[i]), static_cast<std::size_t>(length));
        i += run;
    }
    return out;
}

// Fits bytes into the clusters given (the file's old chain, which is cut or lengthened) and
// returns the first cluster, 0 for no bytes.
std::uint32_t FatVolume::writeChain(std::vector<std::uint32_t> clusters, std::string_view bytes) {
    const std::uint32_t size = m_geometry.clusterSize;
    const std::size_t needed = (bytes.size() + size - 1) / size;
    for (; clusters.size() > needed; clusters.pop_back()) {
        setFatEntry(clusters.back(), 0);
        ++m_freeDelta;
    }
    while (clusters.size() < needed) {
        const std::uint32_t cluster = allocate();
        if (!clusters.empty())
            setFatEntry(clusters.back(), cluster);
        clusters.push_back(cluster);
    }
    if (clusters.empty())
        return 0;
    setFatEntry(clusters.back(), endMark());
    for (std::size_t i = 0; i < clusters.size(); ++i)
        writeBytes(clusterOffset(clusters[i]), bytes.substr(i * size, size));
    return clusters.front();
}

void FatVolume::replace(const FatEntry& file, std::string_view bytes) {
    if (file.isDirectory())
        damaged("a folder stands where a file is to be written");
    if (bytes.size() > 0xFFFFFFFFu)
        damaged("a file of 4 GB or more does not fit a FAT volume");
    std::vector<std::uint32_t> old;
    if (file.firstCluster != 0)
        old = chain(file.firstCluster, m_geometry.clusterCount, true);
    const std::uint32_t first = writeChain(std::move(old), bytes);
    std::string e = readBytes(file.slot, EntrySize);
    putLe(e, 26, first & 0xFFFF, 2);
    if (m_geometry.fatBits == 32)
        putLe(e, 20, first >> 16, 2);
    putLe(e, 28, static_cast<std::uint32_t>(bytes.size()), 4);
    e[11] = static_cast<char>(e[11] | Archive);
    stampNow(e);
    writeBytes(file.slot, e);
    updateFsInfo();
}

void FatVolume::remove(const FatEntry& file) {
    if (file.isDirectory())
        damaged("a folder stands where a file is to be deleted");
    freeChain(file.firstCluster);
    for (std::uint64_t slot : file.longNameSlots)
        writeBytes(slot, std::string(1, static_cast<char>(Deleted)));
    writeBytes(file.slot, std::string(1, static_cast<char>(Deleted)));
    updateFsInfo();
}

std::vector<std::uint64_t> FatVolume::freeSlots(const std::optional<FatEntry>& folder, std::size_t count) {
    const std::vector<std::uint64_t> slots = folderSlots(folder);
    std::size_t run = 0;
    bool pastEnd = false;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto first = static_cast<unsigned char>(readBytes(slots[i], 1)[0]);
        pastEnd = pastEnd || first == 0;
        run = pastEnd || first == Deleted ? run + 1 : 0;
        if (run < count)
            continue;
        // Entries that follow the end mark were never seen; they must stay unseen.
        if (pastEnd && i + 1 < slots.size() && readBytes(slots[i + 1], 1)[0] != 0)
            writeBytes(slots[i + 1], std::string(1, '\0'));
        return {slots.begin() + static_cast<std::ptrdiff_t>(i + 1 - count),
                slots.begin() + static_cast<std::ptrdiff_t>(i + 1)};
    }
    if ((!folder && m_geometry.fatBits != 32) || (folder && folder->firstCluster == 0))
        damaged("a folder in the image has no room for another entry");
    const std::uint32_t first = folder ? folder->firstCluster : m_geometry.rootCluster;
    const std::uint32_t last = chain(first, MaxFolderBytes / m_geometry.clusterSize + 1, true).back();
    const std::uint32_t added = allocate();
    setFatEntry(last, added);
    writeBytes(clusterOffset(added), std::string(m_geometry.clusterSize, '\0'));
    std::vector<std::uint64_t> fresh;
    for (std::size_t i = 0; i < count; ++i)
        fresh.push_back(clusterOffset(added) + i * EntrySize);
    return fresh;
}

FatEntry FatVolume::addEntry(const std::optional<FatEntry>& folder, std::string_view name,
                             std::uint8_t attributes, std::uint32_t firstCluster, std::uint32_t size) {
    const auto shortName = plainShortName(name);
    if (!shortName)
        damaged("cannot create " + cp932::toUtf8(name) + " in the image: Kavendel makes only 8.3 names");
    // A name in lower or mixed case keeps its spelling in a long name, as Windows writes it.
    const bool needsLong = std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    const std::size_t longCount = needsLong ? (name.size() + 12) / 13 : 0;
    const auto slots = freeSlots(folder, longCount + 1);
    const std::uint8_t sum = checksum(*shortName);
    FatEntry made;
    for (std::size_t k = longCount; k >= 1; --k) {
        std::string e(EntrySize, '\0');
        e[0] = static_cast<char>(k | (k == longCount ? 0x40 : 0));
        e[11] = static_cast<char>(LongNameAttributes);
        e[13] = static_cast<char>(sum);
        static constexpr int Offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        for (std::size_t i = 0; i < 13; ++i) {
            const std::size_t at = (k - 1) * 13 + i;
            const std::uint32_t unit = at < name.size()    ? static_cast<unsigned char>(name[at])
                                       : at == name.size() ? 0
                                                           : 0xFFFF;
            putLe(e, static_cast<std::size_t>(Offsets[i]), unit, 2);
        }
        writeBytes(slots[longCount - k], e);
        made.longNameSlots.push_back(slots[longCount - k]);
    }
    std::string e(EntrySize, '\0');
    e.replace(0, 11, *shortName);
    e[11] = static_cast<char>(attributes);
    stampNow(e);
    e.replace(14, 4, e.substr(22, 4)); // created now, too
    putLe(e, 26, firstCluster & 0xFFFF, 2);
    if (m_geometry.fatBits == 32)
        putLe(e, 20, firstCluster >> 16, 2);
    putLe(e, 28, size, 4);
    writeBytes(slots.back(), e);
    made.shortName = shortNameOf(*shortName);
    made.attributes = attributes;
    made.firstCluster = firstCluster;
    made.size = size;
    made.slot = slots.back();
    return made;
}

void FatVolume::create(std::string_view windowsPath, std::string_view bytes) {
    const auto parts = pathParts(windowsPath);
    if (!parts || parts->empty())
        damaged("cannot create " + cp932::toUtf8(windowsPath) + " in the image: it is not on drive C");
    std::optional<FatEntry> at;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
        auto next = findIn(at, (*parts)[i]);
        if (next && !next->isDirectory())
            damaged("a file stands where the image should have the folder " + cp932::toUtf8((*parts)[i]));
        if (!next) {
            const std::uint32_t cluster = allocate();
            std::string entries(m_geometry.clusterSize, '\0');
            const std::uint32_t parent = at ? at->firstCluster : 0;
            for (std::uint32_t k = 0; k < 2; ++k) {
                std::string e(EntrySize, '\0');
                e.replace(0, 11, k == 0 ? ".          " : "..         ");
                e[11] = static_cast<char>(FatEntry::Directory);
                stampNow(e);
                const std::uint32_t target = k == 0 ? cluster : parent;
                putLe(e, 26, target & 0xFFFF, 2);
                putLe(e, 20, m_geometry.fatBits == 32 ? target >> 16 : 0, 2);
                entries.replace(k * EntrySize, EntrySize, e);
            }
            writeBytes(clusterOffset(cluster), entries);
            next = addEntry(at, (*parts)[i], FatEntry::Directory, cluster, 0);
        }
        at = std::move(next);
    }
    if (auto existing = findIn(at, parts->back()))
        return replace(*existing, bytes);
    if (bytes.size() > 0xFFFFFFFFu)
        damaged("a file of 4 GB or more does not fit a FAT volume");
    const std::uint32_t first = writeChain({}, bytes);
    addEntry(at, parts->back(), Archive, first, static_cast<std::uint32_t>(bytes.size()));
    updateFsInfo();
}

// FAT32 keeps a count of free clusters and where to look for the next; Windows and fsck.fat
// both trust it, so it follows every change.
void FatVolume::updateFsInfo() {
    if (!m_geometry.fsInfoOffset)
        return;
    std::string info = readBytes(m_geometry.fsInfoOffset, 512);
    if (le(info, 0, 4) != 0x41615252 || le(info, 484, 4) != 0x61417272)
        return;
    const std::uint32_t free = le(info, 488, 4);
    if (free <= m_geometry.clusterCount) {
        const std::int64_t now =
            std::clamp<std::int64_t>(std::int64_t{free} + m_freeDelta, 0, m_geometry.clusterCount);
        putLe(info, 488, static_cast<std::uint32_t>(now), 4);
    }
    putLe(info, 492, m_nextFree, 4);
    m_freeDelta = 0;
    writeBytes(m_geometry.fsInfoOffset, info);
}

} // namespace kv::image
