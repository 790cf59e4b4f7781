// What a power cut can leave of a write into an image. Every write, fsync, rename and unlink of a
// write-back is recorded through the image code's file calls; then every state the disk could
// hold after a cut at each point is rebuilt (data not yet fsynced dropped or kept, name changes
// not yet made durable by the folder's fsync made in order up to any point), recovery runs on it,
// and the image must then hold exactly its old bytes or exactly its new ones.
#include "DiskImage.h"
#include "ImageBuilder.h"
#include "TemporaryFolder.h"
#include "WriteJournal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

using namespace kv;
using namespace kv::image;

namespace {

struct Op {
    enum class Kind { Write, Sync, SyncFolder, Rename, Unlink };
    Kind kind;
    ino_t inode = 0;   // Write, Sync: the file; Rename: the file renamed
    off_t offset = 0;  // Write
    std::string bytes; // Write
};

ImageCalls recordingCalls(std::vector<Op>& ops) {
    const auto statOf = [](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        return st;
    };
    ImageCalls calls;
    calls.files.write = [&ops, statOf](int fd, const char* data, std::size_t size) {
        ops.push_back(
            {Op::Kind::Write, statOf(fd).st_ino, ::lseek(fd, 0, SEEK_CUR), std::string(data, size)});
        return ::write(fd, data, size);
    };
    calls.files.fsync = [&ops, statOf](int fd) {
        const struct stat st = statOf(fd);
        ops.push_back({S_ISDIR(st.st_mode) ? Op::Kind::SyncFolder : Op::Kind::Sync, st.st_ino, 0, {}});
        return ::fsync(fd);
    };
    calls.files.rename = [&ops](const char* from, const char* to) {
        struct stat source {};
        ::stat(from, &source);
        ops.push_back({Op::Kind::Rename, source.st_ino, 0, {}});
        return ::rename(from, to);
    };
    calls.unlink = [&ops](const char* path) {
        ops.push_back({Op::Kind::Unlink, 0, 0, {}});
        return ::unlink(path);
    };
    return calls;
}

// The image file and the journal's name as the recorded calls left them: each file's durable
// bytes and its changes since its last fsync, and the file the journal's name holds durably and
// through the renames and unlinks since the folder's last fsync.
class Disk {
public:
    Disk(ino_t image, std::string bytes)
        : m_image(image) {
        m_files[image].durable = m_files[image].current = std::move(bytes);
    }

    void play(const Op& op) {
        File& file = m_files[op.inode];
        switch (op.kind) {
        case Op::Kind::Write:
            apply(file.current, op);
            file.unsynced.push_back(&op);
            break;
        case Op::Kind::Sync:
            file.durable = file.current;
            file.unsynced.clear();
            break;
        case Op::Kind::SyncFolder:
            if (!m_pendingNames.empty())
                m_durableJournal = m_pendingNames.back();
            m_pendingNames.clear();
            break;
        case Op::Kind::Rename:
            m_pendingNames.push_back(op.inode);
            break;
        case Op::Kind::Unlink:
            m_pendingNames.push_back(std::nullopt);
            break;
        }
    }

    // Calls check with every image and journal (if named) a cut now could leave.
    void eachCutState(
        const std::function<void(const std::string&, const std::optional<std::string>&)>& check) const {
        std::vector<std::optional<ino_t>> names{m_durableJournal};
        names.insert(names.end(), m_pendingNames.begin(), m_pendingNames.end());
        for (const auto& name : names)
            for (const std::string& image : variants(m_files.at(m_image))) {
                if (!name)
                    check(image, std::nullopt);
                else
                    for (const std::string& journal : variants(m_files.at(*name)))
                        check(image, journal);
            }
    }

private:
    struct File {
        std::string durable, current;
        std::vector<const Op*> unsynced;
    };

    static void apply(std::string& bytes, const Op& op) {
        const auto offset = static_cast<std::size_t>(op.offset);
        if (bytes.size() < offset + op.bytes.size())
            bytes.resize(offset + op.bytes.size(), '\0');
        bytes.replace(offset, op.bytes.size(), op.bytes);
    }

    static std::vector<std::string> variants(const File& file) {
        const std::size_t count = file.unsynced.size();
        EXPECT_LE(count, 12u) << "too many unsynced changes to try every subset";
        std::vector<std::string> result;
        for (std::size_t kept = 0; kept < (std::size_t{1} << count); ++kept) {
            std::string bytes = file.durable;
            for (std::size_t i = 0; i < count; ++i)
                if (kept & (std::size_t{1} << i))
                    apply(bytes, *file.unsynced[i]);
            result.push_back(std::move(bytes));
        }
        return result;
    }

    ino_t m_image;
    std::map<ino_t, File> m_files;
    std::optional<ino_t> m_durableJournal;
    std::vector<std::optional<ino_t>> m_pendingNames;
};

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
    test::TemporaryFolder folder;
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
    std::vector<Op> ops;
    writeAtomically(image.where, writes, image.journalDir, recordingCalls(ops));
    ASSERT_TRUE(test::imageBytes(image.file) == expected);

    Disk disk(st.st_ino, image.bytes);
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
            } catch (const ImageError& e) {
                ADD_FAILURE() << "cut before call " << next << ": " << e.what();
            }
            const std::string recovered = test::imageBytes(image.file);
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
    test::TemporaryFolder folder;
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
        } catch (const ImageError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
        EXPECT_TRUE(test::imageBytes(image.file) == row.image);
        EXPECT_EQ(test::imageBytes(journalFile(image.journalDir)), row.journal);
    }
}

// A write into the image or its journal that fails (a full disk, an I/O error) leaves the image as
// it was at once; when even putting the old bytes back fails, the next run recovers it.
TEST(ImagePowerCut, AFailedWriteLeavesTheImageAsItWas) {
    test::TemporaryFolder folder;
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
        } catch (const ImageError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
        // Two ranges written when the undo failed too: the next run finishes the write.
        const bool finished = row.failTo == 99 && row.intoImage;
        EXPECT_EQ(std::filesystem::exists(journalFile(image.journalDir)), finished);
        recoverPendingWrite(image.journalDir);
        EXPECT_TRUE(test::imageBytes(image.file) == (finished ? written : image.bytes));
        putFile(image.file, image.bytes);
        EXPECT_FALSE(std::filesystem::exists(journalFile(image.journalDir)));
    }
}

} // namespace
