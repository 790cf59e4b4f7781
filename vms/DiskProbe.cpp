// Probing a disk image for Windows 95/98/Me through the image library's own FAT reading.
#include "DiskProbe.h"

#include "Discovery.h"
#include "DiskImage.h"
#include "FatVolume.h"
#include "Hive.h"
#include "ImageImport.h"
#include "LittleEndian.h"
#include "SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <mutex>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

// SYSTEM.DAT of a long-used Windows 98 is a few megabytes.
constexpr std::uint64_t MaxSystemHiveSize = 64u << 20;
// Each read of an image that is not raw is a run of qemu-img, whose start costs far more than
// reading a few megabytes more: the FAT volume is read in windows of this size, kept once read.
constexpr std::uint64_t ReadWindow = 8u << 20;

// The volume read a window at a time, for the few places the probe looks at.
class WindowedVolume final : public image::Volume {
public:
    explicit WindowedVolume(std::unique_ptr<image::Volume> volume)
        : m_volume(std::move(volume)) {}

    const image::VolumeLocation& location() const override { return m_volume->location(); }
    image::TransferCounters counters() const override { return m_volume->counters(); }

    std::string read(std::uint64_t offset, std::size_t length) override {
        std::string bytes;
        while (bytes.size() < length) {
            const std::uint64_t at = offset + bytes.size();
            const std::string& window = windowAt(at / ReadWindow);
            const std::uint64_t inWindow = at % ReadWindow;
            if (inWindow >= window.size())
                return m_volume->read(offset, length); // past the end: the volume's own refusal
            bytes += std::string_view(window).substr(inWindow, length - bytes.size());
        }
        return bytes;
    }

private:
    const std::string& windowAt(std::uint64_t index) {
        auto found = m_windows.find(index);
        if (found == m_windows.end()) {
            const std::uint64_t start = index * ReadWindow;
            const std::uint64_t size = location().size;
            const std::uint64_t length = start < size ? std::min(ReadWindow, size - start) : 0;
            found = m_windows.emplace(index, length ? m_volume->read(start, length) : std::string()).first;
        }
        return found->second;
    }

    std::unique_ptr<image::Volume> m_volume;
    std::map<std::uint64_t, std::string> m_windows;
};

// The subtrees discovery reads to find the display driver and describe the card.
constexpr const char* DiscoveryKeys[][4] = {
    {"System", "CurrentControlSet", "Services", "Class"},
    {"SOFTWARE", "ATI Technologies", nullptr, nullptr},
};

std::optional<hive::Hive::Key> keyAt(const hive::Hive& hive, std::initializer_list<const char*> path) {
    std::optional<hive::Hive::Key> key = hive.root();
    for (const char* name : path)
        if (key && name)
            key = hive.child(*key, name);
    return key;
}

void copyKey(const hive::Hive& hive, hive::Hive::Key key, KeyPath path, SettingsStore& store) {
    store.apply({Change::Kind::CreateKey, path, {}});
    for (const hive::Value& value : hive.values(key))
        store.apply({Change::Kind::SetValue, path, {value.name, value.type, value.data}});
    for (const hive::Hive::Key child : hive.children(key)) {
        path.push_back(hive.name(child));
        copyKey(hive, child, path, store);
        path.pop_back();
    }
}

std::optional<std::string> radeonDriver(const hive::Hive& hive) {
    // Registry keys come from one pool that the whole program shares, which is not to be used
    // from several threads at once; disks are probed on several.
    static std::mutex keyPool;
    const std::lock_guard lock(keyPool);
    MemoryStore store;
    for (const auto& path : DiscoveryKeys) {
        const auto key = keyAt(hive, {path[0], path[1], path[2], path[3]});
        if (!key)
            continue;
        KeyPath treePath{"HKEY_LOCAL_MACHINE"};
        for (const char* name : path)
            if (name)
                treePath.push_back(name);
        copyKey(hive, *key, treePath, store);
    }
    return windows9xDisplayDriver(store);
}

std::string versionNumber(const hive::Hive& hive) {
    constexpr std::string_view Wanted = "versionnumber"; // value names compare without regard to case
    const auto key = keyAt(hive, {"Software", "Microsoft", "Windows", "CurrentVersion"});
    for (const hive::Value& value : key ? hive.values(*key) : std::vector<hive::Value>{})
        if (std::equal(value.name.begin(), value.name.end(), Wanted.begin(), Wanted.end(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            return value.data.substr(0, value.data.find('\0'));
    return {};
}

} // namespace

std::string windowsName(std::string_view version) {
    if (version.starts_with("4.00.") || version.starts_with("4.03."))
        return "Windows 95";
    if (version.starts_with("4.10."))
        return version == "4.10.2222" ? "Windows 98 SE" : "Windows 98";
    if (version.starts_with("4.90."))
        return "Windows Me";
    return {};
}

bool isForeignDifferencingImage(const fs::path& image) {
    // A VDI's image type (4: differencing) follows its signature; a VHD's disk type (4:
    // differencing) is big-endian in the footer, which a dynamic VHD copies to its start.
    std::ifstream in(image, std::ios::binary);
    std::string head(512, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (in.gcount() < 512)
        return false;
    if (head.compare(64, 4, "\x7f\x10\xda\xbe") == 0)
        return le::get32(head, 76) == 4;
    return head.starts_with("conectix") && head.compare(60, 4, std::string("\0\0\0\4", 4)) == 0;
}

std::optional<WindowsDisk> probeWindowsDisk(const fs::path& image) {
    std::unique_ptr<image::Volume> volume;
    try {
        volume = image::openVolume(image, std::nullopt);
    } catch (const Failure&) {
        return std::nullopt; // no FAT volume to be found: not a disk Windows 95/98/Me starts from
    }
    if (volume->location().format != "raw")
        volume = std::make_unique<WindowedVolume>(std::move(volume));
    image::FatVolume fat(*volume);
    const auto systemHive = fat.find(windowsFolder(fat) + "\\SYSTEM.DAT");
    if (!systemHive || systemHive->isDirectory())
        return std::nullopt;
    const hive::Hive hive = hive::Hive::read(fat.read(*systemHive, MaxSystemHiveSize));
    WindowsDisk disk{volume->location().format, volume->location().partition, versionNumber(hive), {}};
    if (windowsName(disk.versionNumber).empty())
        return std::nullopt;
    disk.radeonDriver = radeonDriver(hive);
    return disk;
}

} // namespace kv::vms
