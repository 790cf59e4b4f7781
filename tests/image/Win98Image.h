// A Windows 98 system drive in a raw disk image, built with mtools and no root: MSDOS.SYS, the
// real hives in a folder with a CP932 short name, some of the display driver's INF files, and
// the Startup folder under long names. Tests change it further byte by byte.
#pragma once

#include "ImageBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace kv::test {

class Win98Image {
public:
    static constexpr std::uint64_t VolumeOffset = 2048 * 512;
    // "日本" in CP932: the folder Windows is installed in, named by its short entry only.
    static constexpr const char* WindowsFolder = "\x93\xfa\x96\x7b";

    Win98Image(const std::filesystem::path& folder, std::uint64_t size, int fatBits)
        : m_raw(folder / "disk.img")
        , m_rc(folder / "mtoolsrc")
        , m_scratch(folder / "scratch") {
        buildFatDisk(m_raw, size, fatBits);
        std::ofstream(m_rc) << "mtools_skip_check=1\ndrive c: file=\"" << m_raw.string()
                            << "\" offset=" << VolumeOffset << "\n";
    }

    const std::filesystem::path& raw() const { return m_raw; }

    // Runs an mtools program on the image's drive C:.
    image::ProgramResult mtools(std::vector<std::string> argv) const {
        ::setenv("MTOOLSRC", m_rc.c_str(), 1);
        ::setenv("LC_ALL", "C.UTF-8", 1);
        return runTool(argv);
    }

    void put(const std::string& dosPath, const std::string& bytes) const {
        std::ofstream(m_scratch, std::ios::binary) << bytes;
        mtools({"mcopy", "-o", m_scratch.string(), "c:" + dosPath});
    }
    std::string get(const std::string& dosPath) const { return mtools({"mtype", "c:" + dosPath}).out; }

    // The first cluster of a file or folder, as mtools tells it.
    std::uint32_t firstCluster(const std::string& dosPath) const {
        const std::string shown = mtools({"mshowfat", "c:" + dosPath}).out;
        return static_cast<std::uint32_t>(std::stoul(shown.substr(shown.find('<') + 1)));
    }

    // The byte ranges [first, end) of the raw image that a file's or folder's clusters take.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> clusterRanges(const std::string& dosPath) const {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
        std::istringstream shown(mtools({"mshowfat", "c:" + dosPath}).out);
        for (std::string word; shown >> word;) {
            if (word.front() != '<')
                continue;
            const std::uint32_t first = static_cast<std::uint32_t>(std::stoul(word.substr(1)));
            const auto dash = word.find('-');
            const std::uint32_t last = dash == std::string::npos
                                           ? first
                                           : static_cast<std::uint32_t>(std::stoul(word.substr(dash + 1)));
            out.push_back({clusterOffset(first), clusterOffset(last + 1)});
        }
        return out;
    }
    // From the first FAT to the first cluster: the FATs and FAT16's root folder.
    std::pair<std::uint64_t, std::uint64_t> fatArea() const {
        return {VolumeOffset + reserved(), clusterOffset(2)};
    }

    // Where a FAT16 or FAT32 entry and a cluster lie in the raw image.
    std::uint64_t fatEntryOffset(std::uint32_t cluster) const {
        return VolumeOffset + reserved() + std::uint64_t{cluster} * (fatBits() / 8);
    }
    std::uint64_t clusterOffset(std::uint32_t cluster) const {
        const std::string boot = bootSector();
        const std::uint64_t rootBytes = le(boot, 17, 2) * 32;
        const std::uint64_t fats = le(boot, 16, 1) * fatBytes();
        const std::uint64_t clusterSize = le(boot, 11, 2) * le(boot, 13, 1);
        return VolumeOffset + reserved() + fats + rootBytes + std::uint64_t{cluster - 2} * clusterSize;
    }
    void setFatEntry(std::uint32_t cluster, std::uint32_t value) const {
        std::string bytes;
        for (int i = 0; i < fatBits() / 8; ++i)
            bytes += static_cast<char>(value >> (8 * i));
        for (std::uint64_t copy = 0; copy < le(bootSector(), 16, 1); ++copy)
            writeBytesAt(m_raw, fatEntryOffset(cluster) + copy * fatBytes(), bytes);
    }

    // Writes bytes at skip bytes past the first occurrence of pattern in the raw image.
    void patch(const std::string& pattern, std::size_t skip, const std::string& bytes) const {
        const auto at = fileContents().find(pattern);
        if (at == std::string::npos)
            throw std::runtime_error("nothing to patch");
        writeBytesAt(m_raw, at + skip, bytes);
    }

    // The hive's first cluster, and its folder's, told before the folder gets a name mtools
    // cannot read.
    std::uint32_t systemDatCluster() const { return m_systemDat; }
    std::uint32_t windowsFolderCluster() const { return m_windowsFolder; }

    // The byte ranges of the raw image that the cluster chain from first takes, read from the FAT.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> chainRanges(std::uint32_t first) const {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
        const std::string raw = fileContents();
        const std::uint32_t end = fatBits() == 16 ? 0xFFF8 : 0x0FFFFFF8;
        for (std::uint32_t cluster = first; cluster >= 2 && cluster < end && out.size() < (1u << 20);) {
            out.push_back({clusterOffset(cluster), clusterOffset(cluster + 1)});
            cluster =
                static_cast<std::uint32_t>(le(raw, fatEntryOffset(cluster), fatBits() / 8)) & 0x0FFFFFFF;
        }
        return out;
    }

    std::string fileContents() const { return test::fileContents(m_raw); }

    // The Windows 98 drive the import and write-back tests start from.
    void installWindows(const std::filesystem::path& hives) {
        put("/MSDOS.SYS", std::string("[Paths]\r\nWinDir=C:\\") + WindowsFolder + "\r\nWinBootDir=C:\\" +
                              WindowsFolder + "\r\n\r\n[Options]\r\nBootGUI=1\r\n");
        mtools({"mattrib", "+h", "+s", "+r", "c:/MSDOS.SYS"});
        mtools({"mmd", "c:/WINJ", "c:/WINDOWS", "c:/WINDOWS/INF", "c:/WINDOWS/Start Menu",
                "c:/WINDOWS/Start Menu/Programs", "c:/WINDOWS/Start Menu/Programs/StartUp",
                "c:/My Documents"});
        mtools({"mcopy", (hives / "SYSTEM.DAT").string(), (hives / "USER.DAT").string(), "c:/WINJ"});
        put("/WINDOWS/INF/ATI_9XAA.INF", "[Version]\r\nSignature=\"$CHICAGO$\"\r\n");
        put("/WINDOWS/INF/ATITUNEP.INF", std::string(3000, 't'));
        mtools({"mattrib", "+r", "c:/WINDOWS/INF/ATITUNEP.INF"});
        put("/WINDOWS/INF/ATIXBAR.INF", std::string(70000, 'x'));
        put("/WINDOWS/INF/MACHINE.INF", "not Kavendel's");
        put("/My Documents/A letter with a long name.txt", "Dear");
        m_systemDat = firstCluster("/WINJ/SYSTEM.DAT");
        m_windowsFolder = firstCluster("/WINJ");
        mtools({"mattrib", "+h", "+s", "+r", "c:/WINJ/SYSTEM.DAT", "c:/WINJ/USER.DAT"});
        patch(std::string("WINJ       \x10", 12), 0, WindowsFolder);
    }

private:
    static std::uint64_t le(const std::string& bytes, std::size_t at, int width) {
        std::uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        return value;
    }
    std::string bootSector() const {
        std::ifstream in(m_raw, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(VolumeOffset));
        std::string sector(512, '\0');
        in.read(sector.data(), 512);
        return sector;
    }
    std::uint64_t reserved() const { return le(bootSector(), 14, 2) * le(bootSector(), 11, 2); }
    int fatBits() const { return le(bootSector(), 22, 2) ? 16 : 32; }
    std::uint64_t fatBytes() const {
        const std::string boot = bootSector();
        return (le(boot, 22, 2) ? le(boot, 22, 2) : le(boot, 36, 4)) * le(boot, 11, 2);
    }

    std::filesystem::path m_raw;
    std::filesystem::path m_rc;
    std::filesystem::path m_scratch;
    std::uint32_t m_systemDat = 0;
    std::uint32_t m_windowsFolder = 0;
};

} // namespace kv::test
