// Finding and reading the FAT volume in every image format, and refusing images that cannot hold one.
#include "DiskImage.h"
#include "EnglishText.h"
#include "ImageBuilder.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::image;
using kv::test::PartitionEntry;

namespace {

constexpr std::uint64_t DiskSize = 64ull << 20;
constexpr std::uint64_t VolumeOffset = 2048 * 512;

class ImageVolume : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new TemporaryFolder;
        s_raw = s_folder->path() / "disk.img";
        test::buildFatDisk(s_raw, DiskSize);
        // Something to find that is not zeros, across a sector boundary and far into the volume.
        test::writeBytesAt(s_raw, VolumeOffset + 5'000'000 - 3, "Kavendel was here");
        s_rawBytes = test::fileContents(s_raw);
    }
    static void TearDownTestSuite() { delete s_folder; }

    static std::string rawVolumeBytes(std::uint64_t offset, std::size_t length) {
        return s_rawBytes.substr(VolumeOffset + offset, length);
    }

    static TemporaryFolder* s_folder;
    static std::filesystem::path s_raw;
    static std::string s_rawBytes;
};
TemporaryFolder* ImageVolume::s_folder = nullptr;
std::filesystem::path ImageVolume::s_raw;
std::string ImageVolume::s_rawBytes;

TEST_F(ImageVolume, EveryFormatFindsThePartitionAndReadsItsBytes) {
    const struct {
        const char* build;
        const char* format;
    } rows[] = {{"raw", "raw"},      {"vpc", "vpc"},       {"vpc-fixed", "vpc"},
                {"qcow2", "qcow2"},  {"overlay", "qcow2"}, {"vdi", "vdi"},
                {"odd name", "vdi"}, {"vmdk", "vmdk"},     {"vhdx", "vhdx"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.build);
        std::filesystem::path file = s_raw;
        if (row.build == std::string("overlay"))
            file = test::makeOverlay(test::convertImage(s_raw, "qcow2"), s_folder->path() / "overlay.qcow2");
        else if (row.build == std::string("odd name")) // qemu's options need its comma doubled
            std::filesystem::rename(test::convertImage(s_raw, "vdi"),
                                    file = s_folder->path() / "Win 98, SE.vdi");
        else if (row.build != std::string("raw"))
            file = test::convertImage(s_raw, row.build);
        test::RecordingRunner runner;
        const auto volume = openVolume(file, std::nullopt, {&runner, {}, {}});
        EXPECT_EQ(volume->location().format, row.format);
        EXPECT_EQ(volume->location().partition, 1);
        EXPECT_EQ(volume->location().offset, VolumeOffset);
        EXPECT_EQ(volume->location().size, DiskSize - VolumeOffset);
        const std::size_t runsToOpen = runner.runs.size();
        const std::vector<std::pair<std::uint64_t, std::size_t>> ranges{
            {0, 512}, {5'000'000 - 3, 17}, {4'999'000, 3000}, {DiskSize - VolumeOffset - 7, 7}};
        const auto bytes = volume->readRanges(ranges);
        for (std::size_t i = 0; i < ranges.size(); ++i)
            EXPECT_EQ(bytes[i], rawVolumeBytes(ranges[i].first, ranges[i].second)) << "range " << i;
        // One program run for the batch, and none at all for a raw image.
        EXPECT_EQ(runner.runs.size() - runsToOpen, row.format == std::string("raw") ? 0u : 1u);
        EXPECT_LE(volume->counters().bytesRead, 2048u + 4096u + 4096u);
        EXPECT_THROW(volume->read(DiskSize - VolumeOffset - 7, 8), Failure);
    }
}

// Each row is a disk built from an MBR, FAT volumes and a final length; the volume is found or
// the message says why not.
TEST_F(ImageVolume, PartitionTablesAreFollowedOrRefusedWithAReason) {
    constexpr std::uint64_t TableDisk = 16ull << 20;
    constexpr std::uint32_t Half = 15000;
    const struct {
        const char* name;
        std::vector<PartitionEntry> table;    // empty: a bare volume at sector 0
        std::vector<std::uint32_t> formatted; // first sectors of the FAT volumes made
        std::uint64_t length;
        std::optional<int> chosen;
        int partition; // found, or -1 with the message below
        const char* message;
    } rows[] = {
        {"bare volume", {}, {0}, TableDisk, std::nullopt, 0, ""},
        {"bare volume, partition asked", {}, {0}, TableDisk, 2, -1, "has no partition 2"},
        {"second partition chosen",
         {{0x83, 2048, Half}, {0x06, 2048 + Half, Half}},
         {2048 + Half},
         TableDisk,
         2,
         2,
         ""},
        {"only FAT partition",
         {{0x83, 2048, Half}, {0x0B, 2048 + Half, Half}},
         {2048 + Half},
         TableDisk,
         std::nullopt,
         2,
         ""},
        {"active one of two",
         {{0x06, 2048, Half}, {0x0C, 2048 + Half, Half, true}},
         {2048, 2048 + Half},
         TableDisk,
         std::nullopt,
         2,
         ""},
        {"two, none active",
         {{0x06, 2048, Half}, {0x06, 2048 + Half, Half}},
         {2048, 2048 + Half},
         TableDisk,
         std::nullopt,
         -1,
         "several FAT partitions (1, 2)"},
        {"no FAT partition", {{0x83, 2048, Half}}, {}, TableDisk, std::nullopt, -1, "types 0x83"},
        {"not FAT when chosen",
         {{0x83, 2048, Half}, {0x06, 2048 + Half, Half}},
         {2048 + Half},
         TableDisk,
         1,
         -1,
         "not a FAT partition"},
        {"extended",
         {{0x06, 2048, Half}, {0x0F, 2048 + Half, Half}},
         {2048},
         TableDisk,
         2,
         -1,
         "extended partition"},
        {"logical number", {{0x06, 2048, Half}}, {2048}, TableDisk, 5, -1, "no partition 5"},
        {"empty entry", {{0x06, 2048, Half}}, {2048}, TableDisk, 3, -1, "has no partition 3"},
        {"table past the end",
         {{0x06, 2048, 200000}},
         {},
         TableDisk,
         std::nullopt,
         -1,
         "past the end of the disk"},
        {"truncated image",
         {{0x06, 2048, Half}},
         {2048},
         2048 * 512 + 4096,
         std::nullopt,
         -1,
         "past the end of the disk"},
        {"unformatted", {{0x06, 2048, Half}}, {}, TableDisk, std::nullopt, -1, "holds no FAT file system"},
        {"volume larger than partition",
         {{0x06, 2048, Half / 2}},
         {2048},
         TableDisk,
         std::nullopt,
         -1,
         "larger than the partition"},
        {"GPT", {{0xEE, 1, 32767}}, {}, TableDisk, std::nullopt, -1, "GPT"},
        {"empty table", {{0, 0, 0}}, {}, TableDisk, std::nullopt, -1, "empty partition table"},
        {"bare truncated", {}, {0}, 1 << 20, std::nullopt, -1, "truncated"},
        {"too short", {}, {}, 100, std::nullopt, -1, "too small"},
        {"empty file", {}, {}, 0, std::nullopt, -1, "is empty"},
        {"zeros", {}, {}, TableDisk, std::nullopt, -1, "neither a partition table nor a FAT volume"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::filesystem::path file = s_folder->path() / "table.img";
        std::filesystem::remove(file);
        test::makeBlankImage(file, TableDisk);
        if (!row.table.empty())
            test::writeMbr(file, row.table);
        for (const std::uint32_t first : row.formatted)
            test::formatFat(file, first, row.table.empty() ? TableDisk / 512 : Half, 12);
        std::filesystem::resize_file(file, row.length);
        const std::string before = test::fileContents(file);
        try {
            const auto volume = openVolume(file, row.chosen);
            EXPECT_EQ(volume->location().partition, row.partition);
        } catch (const Failure& e) {
            EXPECT_EQ(row.partition, -1) << e.text();
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
            EXPECT_EQ(std::string(e.what()).find(file.string()), 0u) << "the message names the image";
        }
        EXPECT_EQ(test::fileContents(file), before);
    }
}

TEST_F(ImageVolume, DamagedImagesOfOtherFormatsAreRefusedWithAReason) {
    const auto qcow2 = test::convertImage(s_raw, "qcow2");
    const auto dynamic = test::convertImage(s_raw, "vpc");
    const auto fixed = test::convertImage(s_raw, "vpc-fixed");
    const auto orphan = test::makeOverlay(qcow2, s_folder->path() / "orphan.qcow2");
    std::filesystem::rename(qcow2, s_folder->path() / "moved.qcow2");
    const auto fixedSize = std::filesystem::file_size(fixed);
    test::writeBytesAt(fixed, fixedSize - 512 + 64, "XXXX"); // the footer's checksum no longer adds up
    test::writeBytesAt(dynamic, 64, "XXXX");
    const auto truncatedVdi = test::convertImage(s_raw, "vdi");
    std::filesystem::resize_file(truncatedVdi, 300);
    const struct {
        std::filesystem::path file;
        const char* message;
    } rows[] = {
        {orphan, "its backing file disk.qcow2 is missing"},
        {fixed, "cannot be read as a VHD image"},
        {dynamic, "cannot be read as a VHD image"},
        {truncatedVdi, "cannot be read as a VDI image"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file.string());
        const std::string before = test::fileContents(row.file);
        try {
            openVolume(row.file, std::nullopt);
            ADD_FAILURE() << "opened";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
        }
        EXPECT_EQ(test::fileContents(row.file), before);
    }
}

} // namespace
