// Writing into an image all at once: the checks before, the journal, and finishing a write that a
// kill or a power cut interrupted.
#include "DiskImage.h"
#include "ImageLock.h"
#include "ImageRanges.h"
#include "RawFile.h"
#include "WriteJournal.h"

#include <algorithm>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace kv::image {

namespace {

const char* const FinishedNextTime =
    QT_TRANSLATE_NOOP("DiskImage", "ディスクイメージへの書き込みに失敗しました。Kavendel "
                                   "は次に起動したときにそれを終わらせるか取り消します");

// What writing one range may add to the image file: a new block of a dynamic VHD, a VDI or a
// VHDX (8 MB, qemu's block for disks of Windows 98's size), a cluster and its table of a qcow2,
// a grain and its table of a VMDK, a page of a sparse raw file.
std::uint64_t growthPerRange(const std::string& format) {
    if (format == "vhdx")
        return 8u << 20;
    if (format == "vpc")
        return 2u << 20;
    if (format == "vdi")
        return 1u << 20;
    if (format == "qcow2" || format == "vmdk")
        return 128u << 10;
    return 4096;
}

// Kept free beyond the estimate, so that a file system that is full refuses even a small write.
constexpr std::uint64_t SpareRoom = 64u << 10;

void checkRoom(const std::filesystem::path& place, std::uint64_t needed) {
    struct statvfs fs {};
    if (::statvfs(place.c_str(), &fs) != 0)
        return; // the write itself will tell
    const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    if (free < needed + SpareRoom)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage",
                                        "%1 のあるファイルシステムがいっぱいです。イメージへの書き込みには "
                                        "%2 KB 必要で、空きは %3 KB です。先に空きを作ってください。"),
                      {place.string(), std::to_string((needed + SpareRoom + 1023) / 1024),
                       std::to_string(free / 1024)}));
}

void checkFolderWritable(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    struct stat st {};
    if (!ec && ::stat(folder.c_str(), &st) != 0)
        ec = lastSystemReason();
    if (ec || !S_ISDIR(st.st_mode))
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage",
                                                  "書き込みのジャーナルを置くフォルダ %1 を作成できません"),
                                {folder.string()}),
                      ec);
    const bool readOnlyMount = ::access(folder.c_str(), W_OK) != 0 && errno == EROFS;
    if (readOnlyMount || (st.st_mode & 0222) == 0 || ::access(folder.c_str(), W_OK) != 0)
        throw Failure(imageText(
            readOnlyMount
                ? QT_TRANSLATE_NOOP("DiskImage", "フォルダ %1 は読み取り専用のファイルシステムにあります。"
                                                 "Kavendel は書き込みのジャーナルをそこに置けません。")
                : QT_TRANSLATE_NOOP("DiskImage", "フォルダ %1 は読み取り専用です。"
                                                 "Kavendel は書き込みのジャーナルをそこに置けません。"),
            {folder.string()}));
}

dev_t deviceOf(const std::filesystem::path& place) {
    struct stat st {};
    return ::stat(place.c_str(), &st) == 0 ? st.st_dev : 0;
}

// For a raw image, the descriptor whose QEMU-style locks keep an emulator off while Kavendel writes.
std::optional<RawFile> holdImage(const VolumeLocation& where) {
    if (where.format != "raw")
        return std::nullopt; // qemu-io takes the same locks while it writes
    RawFile file = RawFile::openForWriting(where.image);
    if (!holdWriterLocks(file.fd()) || lockedByOthers(file.fd()))
        throw Failure(inUseMessage(where.image));
    return file;
}

// The writes as disjoint runs at disk offsets, sorted, later writes winning where they overlap.
std::vector<JournalRange> disjointRanges(const VolumeLocation& where,
                                         const std::vector<VolumeWrite>& writes) {
    std::map<std::uint64_t, std::string> runs;
    for (const VolumeWrite& write : writes) {
        if (write.offset > where.size || write.bytes.size() > where.size - write.offset)
            throw Failure(
                imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: FAT ボリュームの %2 バイト目からの書き込みが"
                                                         "ボリュームの終わりを越えます"),
                          {where.image.string(), std::to_string(write.offset)}));
        const std::uint64_t begin = where.offset + write.offset, end = begin + write.bytes.size();
        if (begin == end)
            continue;
        auto it = runs.upper_bound(begin);
        if (it != runs.begin())
            --it;
        while (it != runs.end() && it->first < end) {
            const std::uint64_t runBegin = it->first, runEnd = runBegin + it->second.size();
            if (runEnd <= begin) {
                ++it;
                continue;
            }
            const std::string run = std::move(it->second);
            it = runs.erase(it);
            if (runBegin < begin)
                runs.emplace(runBegin, run.substr(0, begin - runBegin));
            if (runEnd > end)
                runs.emplace(end, run.substr(end - runBegin));
        }
        runs.emplace(begin, write.bytes);
    }
    std::vector<JournalRange> ranges;
    for (auto& [offset, bytes] : runs) {
        if (!ranges.empty() && ranges.back().offset + ranges.back().after.size() == offset)
            ranges.back().after += bytes;
        else
            ranges.push_back({offset, {}, std::move(bytes)});
    }
    return ranges;
}

std::vector<DiskRange> diskRanges(const std::vector<JournalRange>& ranges) {
    std::vector<DiskRange> result;
    for (const JournalRange& range : ranges)
        result.push_back({range.offset, range.after.size()});
    return result;
}

void applyRanges(const WriteJournal& journal, bool after, const ImageCalls& calls) {
    std::vector<DiskWrite> writes;
    for (const JournalRange& range : journal.ranges)
        writes.push_back({range.offset, after ? range.after : range.before});
    writeDiskRanges(journal.location.image, journal.location.format, writes, calls);
}

// The companions go in only once the image holds every new byte durably.
void replaceCompanions(const WriteJournal& journal, const ImageCalls& calls) {
    for (const CompanionFile& companion : journal.companions) {
        removeStaleTemporaries(companion.file);
        replaceFileAtomically(companion.file, {companion.bytes}, 0644, calls.files);
    }
}

void removeJournal(const std::filesystem::path& journalDir, const ImageCalls& calls) {
    const std::filesystem::path file = journalFile(journalDir);
    if (calls.callUnlink(file.c_str()) != 0 && errno != ENOENT) {
        const std::error_code reason = lastSystemReason();
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "ジャーナル %1 を削除できません"), {file.string()}),
            reason);
    }
    const int dir = ::open(journalDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        calls.files.callFsync(dir); // without it the next run finds the journal and finds nothing to do
        ::close(dir);
    }
}

// Writes the journal and publishes it under its name: from then on the write is committed.
void commitJournal(const WriteJournal& journal, const std::filesystem::path& journalDir,
                   const ImageCalls& calls) {
    const std::filesystem::path file = journalFile(journalDir);
    const std::string bytes = journal.encode();
    const Message unchanged =
        imageText(QT_TRANSLATE_NOOP(
                      "DiskImage", "%1 への書き込みのジャーナルを保存できません。イメージは変更していません"),
                  {journal.location.image.string()});
    try {
        removeStaleTemporaries(file);
        replaceFileAtomically(file, {bytes}, 0600, calls.files);
    } catch (const Failure& e) {
        throw e.within(unchanged);
    }
}

// A write that failed half-way is undone at once; when even that fails, the journal stays for the
// next run. Either way the failure says so before what the write failed on.
[[noreturn]] void undoAfterFailure(const WriteJournal& journal, const std::filesystem::path& journalDir,
                                   const ImageCalls& calls, const Failure& cause) {
    try {
        applyRanges(journal, false, calls);
        removeJournal(journalDir, calls);
    } catch (const std::exception&) {
        throw cause.within(imageText(FinishedNextTime));
    }
    throw cause.within(imageText(QT_TRANSLATE_NOOP(
        "DiskImage", "ディスクイメージへの書き込みに失敗しました。イメージは元のままです")));
}

// Once the image is written, a companion that cannot be replaced (a full disk) leaves the journal
// for the next run, which puts it in.
void finishCompanions(const WriteJournal& journal, const std::filesystem::path& journalDir,
                      const ImageCalls& calls) {
    try {
        replaceCompanions(journal, calls);
    } catch (const Failure& e) {
        throw e.within(imageText(FinishedNextTime));
    }
    removeJournal(journalDir, calls);
}

// The range of the journal that holds a write whole: the ranges are the writes' union.
const JournalRange& rangeHolding(const WriteJournal& journal, std::uint64_t offset) {
    const auto after =
        std::upper_bound(journal.ranges.begin(), journal.ranges.end(), offset,
                         [](std::uint64_t at, const JournalRange& r) { return at < r.offset; });
    return *std::prev(after);
}

// Refuses, before the journal exists, when the image no longer holds what the plan of the write
// was made from: another program wrote into it since it was read.
void checkPlanStillHolds(const WriteJournal& journal, const std::vector<VolumeWrite>& writes) {
    for (const VolumeWrite& write : writes) {
        if (write.before.empty())
            continue;
        const std::uint64_t offset = journal.location.offset + write.offset;
        const JournalRange& range = rangeHolding(journal, offset);
        if (range.before.compare(offset - range.offset, write.before.size(), write.before) != 0)
            throw Failure(imageText(
                QT_TRANSLATE_NOOP("DiskImage",
                                  "%1 は Kavendel が書き込みを準備している間に別のプログラムに"
                                  "書き換えられました。何も書き込んでいません。"
                                  "イメージを使うプログラムを終了してから、もう一度試してください。"),
                {journal.location.image.string()}));
    }
}

enum class ImageState { Before, After, Between, Changed };

// Compares sector by sector: a cut write may leave any sector old or new, but never anything else.
ImageState stateOf(const WriteJournal& journal, const std::vector<std::string>& current) {
    bool allBefore = true, allAfter = true;
    for (std::size_t i = 0; i < journal.ranges.size(); ++i) {
        const JournalRange& range = journal.ranges[i];
        for (std::size_t at = 0; at < current[i].size();) {
            const std::size_t end =
                std::min(current[i].size(),
                         static_cast<std::size_t>(((range.offset + at) / 512 + 1) * 512 - range.offset));
            const std::string_view now = std::string_view(current[i]).substr(at, end - at);
            const bool before = now == std::string_view(range.before).substr(at, end - at);
            const bool after = now == std::string_view(range.after).substr(at, end - at);
            if (!before && !after)
                return ImageState::Changed;
            allBefore = allBefore && before;
            allAfter = allAfter && after;
            at = end;
        }
    }
    return allAfter ? ImageState::After : allBefore ? ImageState::Before : ImageState::Between;
}

} // namespace

void checkWritable(const VolumeLocation& where) {
    checkWritable(where, 0, 0, {});
}

void checkWritable(const VolumeLocation& where, std::uint64_t bytesToWrite, std::size_t rangeCount,
                   const std::filesystem::path& journalDir) {
    {
        const RawFile file = RawFile::openForWriting(where.image);
        if (lockedByOthers(file.fd()) || openedByOthers(where.image))
            throw Failure(inUseMessage(where.image));
    }
    const std::uint64_t growth = bytesToWrite + rangeCount * growthPerRange(where.format);
    if (journalDir.empty()) {
        checkRoom(where.image, growth);
        return;
    }
    checkFolderWritable(journalDir);
    const std::uint64_t journal = 2 * bytesToWrite + 24 * rangeCount + 4096;
    if (deviceOf(journalDir) == deviceOf(where.image)) {
        checkRoom(where.image, growth + journal);
    } else {
        checkRoom(where.image, growth);
        checkRoom(journalDir, journal);
    }
}

TransferCounters writeAtomically(const VolumeLocation& where, const std::vector<VolumeWrite>& writes,
                                 const std::filesystem::path& journalDir) {
    return writeAtomically(where, writes, journalDir, ImageCalls{});
}

TransferCounters writeAtomically(const VolumeLocation& where, const std::vector<VolumeWrite>& writes,
                                 const std::filesystem::path& journalDir, const ImageCalls& calls,
                                 const std::vector<CompanionFile>& companions) {
    TransferCounters counters;
    VolumeLocation location = where;
    location.image = std::filesystem::absolute(where.image);
    WriteJournal journal{location, disjointRanges(location, writes), companions};
    if (journal.ranges.empty() && companions.empty())
        return counters;
    std::error_code ec;
    if (std::filesystem::exists(journalFile(journalDir), ec))
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "以前のディスクイメージへの書き込みが途中で止まり、"
                                                     "まだ終わっていません。Kavendel は次に書き込む前に"
                                                     "それを終わらせます")));
    for (const JournalRange& range : journal.ranges)
        counters.bytesWritten += range.after.size();
    checkWritable(location, counters.bytesWritten, journal.ranges.size(), journalDir);
    const std::optional<RawFile> held = holdImage(location);
    const auto before = readDiskRanges(location.image, location.format, diskRanges(journal.ranges), calls,
                                       counters.bytesRead);
    for (std::size_t i = 0; i < before.size(); ++i)
        journal.ranges[i].before = before[i];
    checkPlanStillHolds(journal, writes);
    commitJournal(journal, journalDir, calls);
    try {
        applyRanges(journal, true, calls);
    } catch (const std::exception& e) {
        const auto* failure = dynamic_cast<const Failure*>(&e);
        undoAfterFailure(journal, journalDir, calls,
                         failure ? *failure : Failure(Message::verbatim(e.what())));
    }
    finishCompanions(journal, journalDir, calls);
    return counters;
}

void recoverPendingWrite(const std::filesystem::path& journalDir) {
    recoverPendingWrite(journalDir, ImageCalls{});
}

void recoverPendingWrite(const std::filesystem::path& journalDir, const ImageCalls& calls) {
    const std::filesystem::path file = journalFile(journalDir);
    removeStaleTemporaries(file);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return;
    const RawFile stored = RawFile::openForReading(file);
    const WriteJournal journal = WriteJournal::decode(stored.readAt(0, stored.size()), file);
    std::uint64_t bytesRead = 0;
    const auto current = readDiskRanges(journal.location.image, journal.location.format,
                                        diskRanges(journal.ranges), calls, bytesRead);
    const ImageState state = stateOf(journal, current);
    if (state == ImageState::Changed)
        throw Failure(imageText(
            QT_TRANSLATE_NOOP("DiskImage", "%1 は、途中で止まった書き込みのあとで変更されたため、"
                                           "Kavendel はその書き込みを終わらせることも取り消すことも"
                                           "できません。エミュレータでイメージを確かめ、問題がなければ "
                                           "%2 を削除してください"),
            {journal.location.image.string(), file.string()}));
    // Nothing written yet: undone by dropping the journal, which is safer than writing into an
    // image an emulator may have used since. Partly or wholly written: finished, with the
    // companions, which may not be in place yet.
    if (state == ImageState::Before) {
        removeJournal(journalDir, calls);
        return;
    }
    if (state == ImageState::Between) {
        checkWritable(journal.location, 0, 0, journalDir);
        const std::optional<RawFile> held = holdImage(journal.location);
        applyRanges(journal, true, calls);
    }
    replaceCompanions(journal, calls);
    removeJournal(journalDir, calls);
}

} // namespace kv::image
