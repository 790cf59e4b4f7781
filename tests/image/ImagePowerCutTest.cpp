// What a power cut can leave of a write into an image. Every write, fsync, rename and unlink of a
// write-back is recorded through the image code's file calls; then every state the disk could
// hold after a cut at each point is rebuilt (data not yet fsynced dropped or kept, name changes
// not yet made durable by the folder's fsync made in order up to any point), recovery runs on it,
// and the image must then hold exactly its old bytes or exactly its new ones.
#include "DiskImage.h"
#include "EnglishText.h"
#include "ImageBuilder.h"
#include "ImageCuts.h"
#include "TemporaryFolder.h"
#include "WriteJournal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iostream>

using namespace kv;
using namespace kv::image;

namespace {

void putFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// A small raw image whose every byte differs from its neighbours', and the volume inside it.
struct SmallImage {
    explicit SmallImage(const std::filesystem::path& folder)
        : file(folder / "disk.img")
        , journalDir(folder / "journal") {
        for (std::size_t i = 0; i < 256 * 1024; ++i)
            bytes += static_cast<char>(i * 7 + i / 251);
        putFile(file, bytes);
        where = {std::filesystem::absolute(file), "raw", 1, 4096, bytes.size() - 4096};
    }
    std::filesystem::path file, journalDir;
    std::string bytes;
    VolumeLocation where;
};

TEST(ImagePowerCut, EveryCutRecoversToTheOldImageOrTheNewOne) {
    TemporaryFolder folder;
    SmallImage image(folder.path());
    const std::vector<VolumeWrite> writes = {
        {0, std::string(512, 'a')},       {1000, std::string(3000, 'b')},  {2500, "overlaps b"},
        {60'001, std::string(77, 'c')},   {60'078, "touches c"},           {120'000, std::string(9000, 'd')},
        {200'000, std::string(100, 'e')}, {image.where.size - 5, "last!"},
    };
    std::string expected = image.bytes;
    for (const VolumeWrite& write : writes)
        expected.replace(image.where.offset + write.offset, write.bytes.size(), write.bytes);
    struct stat st {};
    ::stat(image.file.c_str(), &st);
    std::vector<test::RecordedCall> ops;
    writeAtomically(image.where, writes, image.journalDir, test::recordingCalls(ops));
    ASSERT_TRUE(test::fileContents(image.file) == expected);

    test::CutDisk disk(st.st_ino, image.bytes);
    std::size_t states = 0, finished = 0;
    for (std::size_t next = 0; next <= ops.size(); ++next) {
        disk.eachCutState([&](const std::string& bytes, const std::optional<std::string>& journal) {
            ++states;
            putFile(image.file, bytes);
            std::filesystem::remove(journalFile(image.journalDir));
            if (journal)
                putFile(journalFile(image.journalDir), *journal);
            try {
                recoverPendingWrite(image.journalDir);
            } catch (const Failure& e) {
                ADD_FAILURE() << "cut before call " << next << ": " << e.text();
            }
            const std::string recovered = test::fileContents(image.file);
            EXPECT_TRUE(recovered == image.bytes || recovered == expected) << "cut before call " << next;
            finished += recovered == expected;
            EXPECT_FALSE(std::filesystem::exists(journalFile(image.journalDir)));
        });
        if (next < ops.size())
            disk.play(ops[next]);
    }
    EXPECT_GT(finished, 0u);
    EXPECT_LT(finished, states);
    std::cout << "image power cut: " << ops.size() << " calls recorded, " << ops.size() + 1 << " cut points, "
              << states << " disk states recovered\n";
}

// A journal that does not match the image, or is damaged, is neither applied nor dropped.
TEST(ImagePowerCut, RecoveryLeavesAloneWhatItCannotTell) {
    TemporaryFolder folder;
    SmallImage image(folder.path());
    WriteJournal journal{image.where, {{8192, image.bytes.substr(8192, 2000), std::string(2000, 'n')}}};
    const std::string committed = journal.encode();
    std::string flipped = committed;
    flipped[flipped.size() / 2] ^= 1;
    std::string changed = image.bytes;
    changed.replace(8192 + 1500, 3, "VM!"); // the emulator wrote there after the cut
    const struct {
        const char* name;
        std::string image, journal;
        const char* message;
    } rows[] = {
        {"image changed since", changed, committed, "changed since a write into it was cut short"},
        {"damaged journal", image.bytes, flipped, "is damaged"},
        {"torn journal", image.bytes, committed.substr(0, committed.size() - 100), "is damaged"},
        {"not a journal", image.bytes, "hello", "is damaged"},
    };
    std::filesystem::create_directories(image.journalDir);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        putFile(image.file, row.image);
        putFile(journalFile(image.journalDir), row.journal);
        try {
            recoverPendingWrite(image.journalDir);
            ADD_FAILURE() << "recovered";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
        }
        EXPECT_TRUE(test::fileContents(image.file) == row.image);
        EXPECT_EQ(test::fileContents(journalFile(image.journalDir)), row.journal);
    }
}

// A write into the image or its journal that fails (a full disk, an I/O error) leaves the image as
// it was at once; when even putting the old bytes back fails, the next run recovers it.
TEST(ImagePowerCut, AFailedWriteLeavesTheImageAsItWas) {
    TemporaryFolder folder;
    SmallImage image(folder.path());
    const std::vector<VolumeWrite> writes = {
        {0, std::string(700, 'a')}, {9000, "b"}, {70'000, std::string(5000, 'c')}};
    std::string written = image.bytes;
    for (const VolumeWrite& write : writes)
        written.replace(image.where.offset + write.offset, write.bytes.size(), write.bytes);
    struct stat st {};
    ::stat(image.file.c_str(), &st);
    const struct {
        const char* name;
        bool intoImage;       // else into the journal
        int failFrom, failTo; // the writes to that file, counted from 1, that fail
        const char* message;
    } rows[] = {
        {"journal", false, 1, 99, "The image is unchanged"},
        {"second range", true, 2, 2, "The image was left as it was"},
        {"third range and the undo", true, 3, 99, "the next time it runs"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int count = 0;
        ImageCalls calls;
        calls.files.write = [&](int fd, const char* data, std::size_t size) -> ssize_t {
            struct stat target {};
            ::fstat(fd, &target);
            if ((target.st_ino == st.st_ino) == row.intoImage && ++count >= row.failFrom &&
                count <= row.failTo) {
                errno = ENOSPC;
                return -1;
            }
            return ::write(fd, data, size);
        };
        try {
            writeAtomically(image.where, writes, image.journalDir, calls);
            ADD_FAILURE() << "written";
        } catch (const Failure& e) {
            EXPECT_NE(test::englishText(e).find(row.message), std::string::npos) << test::englishText(e);
            EXPECT_EQ(e.reason(), std::errc::no_space_on_device) << e.text();
        }
        // Two ranges written when the undo failed too: the next run finishes the write.
        const bool finished = row.failTo == 99 && row.intoImage;
        EXPECT_EQ(std::filesystem::exists(journalFile(image.journalDir)), finished);
        recoverPendingWrite(image.journalDir);
        EXPECT_TRUE(test::fileContents(image.file) == (finished ? written : image.bytes));
        putFile(image.file, image.bytes);
        EXPECT_FALSE(std::filesystem::exists(journalFile(image.journalDir)));
    }
}

// A write cut short half-way into an image that is not raw is finished through qemu-io as well.
TEST(ImagePowerCut, RecoveryFinishesAWriteIntoEveryFormat) {
    TemporaryFolder folder;
    const auto raw = test::buildFatDisk(folder.path() / "disk.img", 32ull << 20);
    for (const std::string format : {"vpc", "qcow2", "vdi"}) {
        SCOPED_TRACE(format);
        const auto volume = openVolume(test::convertImage(raw, format), std::nullopt);
        const VolumeLocation& where = volume->location();
        const auto before = volume->readRanges({{4096, 600}, {3'000'000, 5000}});
        WriteJournal journal{where,
                             {{where.offset + 4096, before[0], std::string(600, 'x')},
                              {where.offset + 3'000'000, before[1], std::string(5000, 'y')}}};
        // The cut came after the first range was written.
        writeAtomically(where, {{4096, journal.ranges[0].after}}, folder.path() / "journal");
        std::ofstream(journalFile(folder.path() / "journal"), std::ios::binary) << journal.encode();
        recoverPendingWrite(folder.path() / "journal");
        EXPECT_EQ(volume->readRanges({{4096, 600}, {3'000'000, 5000}}),
                  (std::vector<std::string>{journal.ranges[0].after, journal.ranges[1].after}));
        EXPECT_FALSE(std::filesystem::exists(journalFile(folder.path() / "journal")));
    }
}

} // namespace
