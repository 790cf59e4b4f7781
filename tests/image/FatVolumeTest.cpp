// Kavendel's FAT volume on small volumes made by mkfs.fat. What it writes is read back by a
// reader of the tests' own that stops at a folder's end mark as Windows does, and judged by
// fsck.fat -n and mtools, none of them Kavendel's code.
#include "FatVolume.h"
#include "EnglishText.h"
#include "FatNames.h"
#include "ImageBuilder.h"
#include "LittleEndian.h"
#include "MemoryVolume.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace fs = std::filesystem;
using namespace kv;
using kv::image::FatEntry;
using kv::image::FatVolume;

namespace {

// The smallest volumes of each width with 512-byte clusters, 16 entries to a folder cluster.
std::uint32_t sectorsFor(int fatBits) {
    return fatBits == 12 ? 2048 : fatBits == 16 ? 8400 : 68000;
}

// A bare volume in a file, changed through Kavendel's FAT code and checked by other programs.
class TestVolume {
public:
    explicit TestVolume(int fatBits)
        : m_file(m_folder.path() / "volume.img") {
        test::makeBlankImage(m_file, std::uint64_t{sectorsFor(fatBits)} * 512);
        test::runTool(
            {"mkfs.fat", "-F", std::to_string(fatBits), "-s", "1", "-i", "4B41564E", m_file.string()});
    }

    // Opens the volume as it now is, runs change on it and puts what it wrote into the file.
    void change(const std::function<void(FatVolume&)>& change) {
        test::MemoryVolume memory(test::fileContents(m_file), fs::file_size(m_file));
        FatVolume fat(memory);
        change(fat);
        for (const image::VolumeWrite& w : fat.writes())
            test::writeBytesAt(m_file, w.offset, w.bytes);
    }
    void create(const std::string& path, const std::string& bytes = "x") {
        change([&](FatVolume& fat) { fat.create(path, bytes); });
    }

    std::string bytes() const { return test::fileContents(m_file); }
    void patch(std::uint64_t offset, const std::string& bytes) { test::writeBytesAt(m_file, offset, bytes); }

    // fsck.fat's verdict; empty when it finds nothing wrong.
    std::string fsckComplaints() const {
        image::SystemProgramRunner runner;
        const image::ProgramResult result = runner.run({"fsck.fat", "-n", m_file.string()});
        return result.status == 0 ? std::string() : result.out + result.err;
    }
    std::string mtype(const std::string& dosPath) const {
        ::setenv("MTOOLS_SKIP_CHECK", "1", 1);
        return test::runTool({"mtype", "-i", m_file.string(), "::" + dosPath}).out;
    }

private:
    TemporaryFolder m_folder;
    fs::path m_file;
};

// The tests' own reader: the long (else short) names of a folder's entries, read as Windows
// reads them, stopping at the first entry that starts with 0. Cluster 0 is the root.
std::vector<std::string> namesIn(const std::string& volume, int fatBits, std::uint32_t firstCluster = 0) {
    const std::string_view v(volume);
    const std::uint32_t sector = le::get16(v, 11), clusterSize = sector * static_cast<unsigned char>(v[13]);
    const std::uint64_t fatSectors = le::get16(v, 22) ? le::get16(v, 22) : le::get32(v, 36);
    const std::uint64_t fat = std::uint64_t{le::get16(v, 14)} * sector;
    const std::uint64_t root = fat + static_cast<unsigned char>(v[16]) * fatSectors * sector;
    const std::uint64_t data = root + (le::get16(v, 17) * 32u + sector - 1) / sector * sector;
    const auto next = [&](std::uint32_t c) -> std::uint32_t {
        if (fatBits == 12)
            return (le::get16(v, fat + c + c / 2) >> (c % 2 ? 4 : 0)) & 0xFFF;
        return fatBits == 16 ? le::get16(v, fat + c * 2) : le::get32(v, fat + c * 4) & 0x0FFFFFFF;
    };
    std::vector<std::uint64_t> slots;
    if (firstCluster == 0 && fatBits != 32)
        for (std::uint32_t i = 0; i < le::get16(v, 17); ++i)
            slots.push_back(root + i * 32);
    const std::uint32_t end = fatBits == 12 ? 0xFF8 : fatBits == 16 ? 0xFFF8 : 0x0FFFFFF8;
    for (std::uint32_t c = firstCluster    ? firstCluster
                           : fatBits == 32 ? le::get32(v, 44)
                                           : end;
         c < end; c = next(c))
        for (std::uint32_t i = 0; i < clusterSize; i += 32)
            slots.push_back(data + (c - 2) * std::uint64_t{clusterSize} + i);
    std::vector<std::string> names;
    std::u16string longName;
    for (std::uint64_t slot : slots) {
        const std::string_view e = v.substr(slot, 32);
        if (e[0] == 0)
            break;
        if (static_cast<unsigned char>(e[0]) == 0xE5)
            continue;
        if (e[11] == 0x0F) {
            longName = image::fatname::longNamePart(e) + longName;
            continue;
        }
        const std::u16string whole = longName.substr(0, longName.find(u'\0'));
        names.push_back(whole.empty() ? image::fatname::shortNameOf(e.substr(0, 11))
                                      : image::fatname::utf8(whole));
        longName.clear();
    }
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

// A folder whose last cluster has 0 to 15 free entries after its end mark gets a name of three
// entries: it must be seen, where the run fits and where it goes on into a new cluster.
TEST(FatVolume, ANewNameIsSeenWhateverRoomItsFolderHasLeft) {
    const std::string name = "Mixed Case Name.txt"; // two long-name entries and a short one
    const auto folder = [](int free) { return "K" + std::to_string(free); };
    for (int fatBits : {12, 16, 32}) {
        TestVolume volume(fatBits);
        volume.change([&](FatVolume& fat) {
            for (int free = 0; free < 16; ++free)
                for (int i = 0; i < 30 - free; ++i) // with "." and "..": 16 - free in the second cluster
                    fat.create("C:\\" + folder(free) + "\\F" + std::to_string(i), "");
        });
        std::vector<std::uint32_t> clusters;
        volume.change([&](FatVolume& fat) {
            for (int free = 0; free < 16; ++free) {
                fat.create("C:\\" + folder(free) + "\\" + name, "seen");
                clusters.push_back(fat.find("C:\\" + folder(free))->firstCluster);
            }
        });
        const std::string bytes = volume.bytes();
        for (int free = 0; free < 16; ++free) {
            SCOPED_TRACE("FAT" + std::to_string(fatBits) + ", free entries " + std::to_string(free));
            EXPECT_TRUE(contains(namesIn(bytes, fatBits, clusters[static_cast<std::size_t>(free)]), name));
            EXPECT_EQ(volume.mtype("/" + folder(free) + "/" + name), "seen");
        }
        EXPECT_EQ(volume.fsckComplaints(), "");
    }
}

// Windows 98's short names for long names: upper-cased ASCII only, "_" for what a short name
// cannot hold, a CP932 character never split by the cut or the "~N" tail.
TEST(FatVolume, ShortNamesAreMadeAsWindows98MakesThem) {
    struct Row {
        const char* longName;
        unsigned tail;
        std::string entryName;
    } rows[] = {
        {"README.TXT", 0, "README  TXT"},
        {"Program Files", 1, "PROGRA~1   "},
        {"Program Files", 12, "PROGR~12   "},
        {"Long File Name.txt", 1, "LONGFI~1TXT"},
        {"a+b;c.htm", 1, "A_B_C~1 HTM"},
        {".profile", 1, "PROFIL~1   "},
        {"my.file.name.text", 1, "MYFILE~1TEX"},
        {"\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x74.txt", 1, "\x93\xfa\x96\x7b\x8c\xea~1TXT"}, // 日本語のフ
        {"\x83\x61\x83\x61\x83\x61\x83\x61\x83\x61", 1, "\x83\x61\x83\x61\x83\x61~1   "}, // ヂ, trail "a"
        {"a\x83\x61\x83\x61\x83\x61\x83\x61.txt", 1, "A\x83\x61\x83\x61~1 TXT"},
        {"\xE5\x40.TXT", 0, "\x05\x40      TXT"}, // a lead byte 0xE5 is stored as 0x05
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.longName);
        const image::fatname::ShortNameBasis basis = image::fatname::shortNameBasis(row.longName);
        EXPECT_EQ(basis.exact, row.tail == 0);
        EXPECT_EQ(image::fatname::shortEntryName(basis, row.tail), row.entryName);
    }
    for (const std::string& refused :
         std::vector<std::string>{"a*b", "a:b", "what?", "\x83", std::string(256, 'a')})
        EXPECT_FALSE(image::fatname::longNameOf(refused)) << refused;
}

// What Windows made, Kavendel makes: the Startup folder under long names, "~N" tails counted up,
// and "FOO." and "FOO " are the file FOO.
TEST(FatVolume, AnyNameWindowsHoldsIsCreatedOnce) {
    TestVolume volume(16);
    volume.create("C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Kavendel.bat", "@echo off\r\n");
    volume.create("C:\\Long File Name 1.txt", "1");
    volume.create("C:\\Long File Name 2.txt", "2");
    volume.create("C:\\FOO.", "first");
    volume.create("C:\\FOO  ", "second");
    EXPECT_EQ(volume.mtype("/WINDOWS/Start Menu/Programs/StartUp/Kavendel.bat"), "@echo off\r\n");
    EXPECT_EQ(volume.mtype("/LONGFI~2.TXT"), "2");
    EXPECT_EQ(volume.mtype("/FOO"), "second");
    const auto root = namesIn(volume.bytes(), 16);
    EXPECT_EQ(std::count(root.begin(), root.end(), "FOO"), 1);
    EXPECT_TRUE(contains(root, "Long File Name 1.txt"));
    EXPECT_EQ(volume.fsckComplaints(), "");
}

namespace {

// Where FAT32's fields lie in a volume made by mkfs.fat: FSInfo in sector 1.
constexpr std::uint64_t FsInfoFree = 512 + 488, FsInfoHint = 512 + 492, ExtFlags = 40;

std::uint32_t fsInfo(const TestVolume& volume, std::uint64_t at) {
    return le::get32(volume.bytes(), at);
}

std::string le32(std::uint32_t value) {
    std::string bytes;
    le::append(bytes, value, 4);
    return bytes;
}

std::uint64_t clusterCount(const std::string& v) {
    const std::uint64_t sector = le::get16(v, 11),
                        perFat = le::get16(v, 22) ? le::get16(v, 22) : le::get32(v, 36);
    const std::uint64_t total = le::get16(v, 19) ? le::get16(v, 19) : le::get32(v, 32);
    const std::uint64_t data =
        le::get16(v, 14) + v[16] * perFat + (le::get16(v, 17) * 32u + sector - 1) / sector;
    return (total - data) / static_cast<unsigned char>(v[13]);
}

struct RecordRow {
    const char* name;
    int fatBits;
    std::function<void(TestVolume&)> setUp;
    const char* refusal; // a part of the refusal, or nullptr when the change is made
    std::function<void(TestVolume&, const std::string& before)> check;
    bool judgedByFsck = true; // fsck.fat reads the first FAT, whatever ExtFlags say
};

// Each row makes NEW.TXT of three clusters, or is refused, on a volume it set up first.
std::vector<RecordRow> recordRows() {
    return {
        {"free count kept exact", 32, [](TestVolume&) {}, nullptr,
         [](TestVolume& v, const std::string& before) {
             EXPECT_EQ(fsInfo(v, FsInfoFree), le::get32(before, FsInfoFree) - 3);
         }},
        {"free count unknown stays unknown", 32, [](TestVolume& v) { v.patch(FsInfoFree, le32(0xFFFFFFFF)); },
         nullptr, [](TestVolume& v, const std::string&) { EXPECT_EQ(fsInfo(v, FsInfoFree), 0xFFFFFFFFu); }},
        {"a bad hint is not followed", 32, [](TestVolume& v) { v.patch(FsInfoHint, le32(0xFFFFFFF0)); },
         nullptr, [](TestVolume& v, const std::string&) { EXPECT_LT(fsInfo(v, FsInfoHint), 100u); }},
        {"allocation wraps at the FAT's end", 32,
         [](TestVolume& v) {
             v.patch(FsInfoHint, le32(static_cast<std::uint32_t>(clusterCount(v.bytes()) + 1)));
         },
         nullptr,
         [](TestVolume& v, const std::string&) {
             EXPECT_EQ(fsInfo(v, FsInfoHint), 4u); // the last cluster, then past the root (2): 3 and 4
         }},
        {"mirroring off writes the active FAT only", 32, [](TestVolume& v) { v.patch(ExtFlags, "\x81"); },
         nullptr,
         [](TestVolume& v, const std::string& before) {
             const std::uint64_t fat = 32 * 512, size = le::get32(before, 36) * 512ull;
             EXPECT_EQ(v.bytes().substr(fat, size), before.substr(fat, size));
             EXPECT_NE(v.bytes().substr(fat + size, size), before.substr(fat + size, size));
             v.change([](FatVolume& fat) {
                 EXPECT_EQ(fat.read(*fat.find("C:\\NEW.TXT"), 5000), std::string(1200, 'c'));
             });
         },
         false},
        {"FAT16 not shut down cleanly", 16, [](TestVolume& v) { v.patch(512 + 3, "\x7F"); }, "ScanDisk",
         nullptr},
        {"FAT16 with a hard error", 16, [](TestVolume& v) { v.patch(512 + 3, "\xBF"); }, "ScanDisk", nullptr},
        {"FAT32 not shut down cleanly", 32, [](TestVolume& v) { v.patch(32 * 512 + 7, "\x07"); }, "ScanDisk",
         nullptr},
        {"full volume", 12,
         [](TestVolume& v) { v.create("C:\\BIG", std::string((clusterCount(v.bytes()) - 2) * 512, 'b')); },
         "full", nullptr},
        {"shrinking to zero frees every cluster", 16, [](TestVolume& v) { v.create("C:\\NEW.TXT", "old"); },
         nullptr,
         [](TestVolume& v, const std::string&) {
             v.create("C:\\NEW.TXT", "");
             v.change([](FatVolume& fat) {
                 const auto entry = fat.find("C:\\NEW.TXT");
                 EXPECT_EQ(entry->firstCluster, 0u);
                 EXPECT_EQ(entry->size, 0u);
             });
             EXPECT_EQ(v.mtype("/NEW.TXT"), "");
         }},
    };
}

} // namespace

// FSInfo, the active FAT, the clean-shutdown and hard-error bits, and full, wrapping and
// shrinking allocations: each row sets the volume up, makes one change and says what must hold.
TEST(FatVolume, WhatWindowsRecordsInTheVolumeIsRespected) {
    const std::string threeClusters(1200, 'c');
    for (const RecordRow& row : recordRows()) {
        SCOPED_TRACE(row.name);
        TestVolume volume(row.fatBits);
        row.setUp(volume);
        const std::string before = volume.bytes();
        try {
            volume.create("C:\\NEW.TXT", threeClusters);
            EXPECT_FALSE(row.refusal) << "the change was made";
        } catch (const Failure& e) {
            ASSERT_TRUE(row.refusal) << e.text();
            EXPECT_NE(test::englishText(e).find(row.refusal), std::string::npos) << test::englishText(e);
            continue;
        }
        EXPECT_EQ(volume.mtype("/NEW.TXT"), threeClusters);
        row.check(volume, before);
        if (row.judgedByFsck) {
            EXPECT_EQ(volume.fsckComplaints(), "");
        }
    }
}
