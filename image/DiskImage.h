// A Windows 98 disk image as Kavendel sees it: one FAT volume inside a file of some format, read
// and written in byte ranges, and changed only all at once.
#pragma once

#include "Failure.h"

#include "ImageCalls.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv::image {

// Every refusal and failure below is a Failure whose headline is one sentence for the user,
// naming the image.

// A text of the disk-image code for the user: source is marked QT_TRANSLATE_NOOP("DiskImage", ...).
inline Message imageText(const char* source, std::vector<std::string> args = {}) {
    return Message{{}, "DiskImage", source, std::move(args)};
}

// A volume that is not FAT, is damaged where Kavendel needs it, or cannot hold a change: a
// failure of Fault::damagedFileSystem, which callers tell apart from one to read the image.
[[noreturn]] inline void failDamagedVolume(const char* source, std::vector<std::string> args = {}) {
    throw Failure(imageText(source, std::move(args)), {}, Fault::damagedFileSystem);
}

// Where the volume lies: the image file, its format as qemu-img names it ("raw", "vpc", "qcow2",
// "vdi", "vmdk", "vhdx"), the partition (1-4 from the MBR, 0 for a bare volume) and the volume's byte extent.
struct VolumeLocation {
    std::filesystem::path image;
    std::string format;
    int partition = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    // Which partition was taken, and why, when several were FAT and none was asked for.
    std::optional<Message> partitionChoice = std::nullopt;
};

// Bytes moved to and from the image, so that a write-back can show what it cost.
struct TransferCounters {
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesWritten = 0;
};

// One run of bytes to put at a volume offset, and the bytes the caller's plan found there (as
// many; empty when it has none to check).
struct VolumeWrite {
    std::uint64_t offset = 0;
    std::string bytes;
    std::string before = {};
};

// A file beside the image, such as the record of what it holds, that is replaced in the same
// step as the image is written: it changes when the image does, and never otherwise.
struct CompanionFile {
    std::filesystem::path file;
    std::string bytes;
};

// Reads byte ranges of the volume. Offsets are relative to the volume's first byte; a range past
// the volume's end is an error, never a short read.
class Volume {
public:
    virtual ~Volume() = default;
    virtual const VolumeLocation& location() const = 0;
    virtual std::string read(std::uint64_t offset, std::size_t length) = 0;
    virtual TransferCounters counters() const = 0;

    // Several ranges at once, in order: for an image that is not raw, one run of qemu-img reads
    // them all, where read() costs one run each.
    virtual std::vector<std::string>
    readRanges(const std::vector<std::pair<std::uint64_t, std::size_t>>& ranges) {
        std::vector<std::string> result;
        for (const auto& [offset, length] : ranges)
            result.push_back(read(offset, length));
        return result;
    }
};

// Opens the image read-only, tells its format, and finds the FAT volume: the given MBR partition,
// else the only FAT partition (the active one, Windows' drive C, when there are several), else a
// bare volume. Throws with a sentence for the user when the file is not an image it can read, has
// no such partition, or the table points past its end. An image an emulator is running is read
// all the same (QEMU's locks are shared for reading); only writing refuses it.
std::unique_ptr<Volume> openVolume(const std::filesystem::path& image, std::optional<int> partition);
// The same through the given programs and file calls; calls.programs must outlive the volume.
std::unique_ptr<Volume> openVolume(const std::filesystem::path& image, std::optional<int> partition,
                                   const ImageCalls& calls);

// Refuses (throws with a sentence for the user) when the image cannot be written now: it is in use
// by an emulator (a lock another process holds), read-only, or its host file system is full.
void checkWritable(const VolumeLocation& where);
// The same, and also refuses when journalDir cannot be written or a file system lacks the room
// that writing bytesToWrite in rangeCount ranges, and its journal, may take.
void checkWritable(const VolumeLocation& where, std::uint64_t bytesToWrite, std::size_t rangeCount,
                   const std::filesystem::path& journalDir);

// Puts every write into the volume, and every companion file in its place, as one step. The
// journal in journalDir holds what is needed to finish or undo the step, so that a kill or power
// cut at any moment leaves the image and the companions as they were or fully written once
// recoverPendingWrite has run. A write whose image bytes are no longer those its plan found
// there is refused before anything is written. Returns what the step read and wrote.
TransferCounters writeAtomically(const VolumeLocation& where, const std::vector<VolumeWrite>& writes,
                                 const std::filesystem::path& journalDir);
TransferCounters writeAtomically(const VolumeLocation& where, const std::vector<VolumeWrite>& writes,
                                 const std::filesystem::path& journalDir, const ImageCalls& calls,
                                 const std::vector<CompanionFile>& companions = {});

// Finishes or undoes a write that a previous run left in journalDir; does nothing when there is none.
// A write cut short before it changed any byte is undone by dropping its journal; one cut short
// half-way or after the image was written is finished, its companion files with it. Throws when the image
// changed since the write began, so that it can be neither finished nor undone safely; the journal is then
// kept.
void recoverPendingWrite(const std::filesystem::path& journalDir);
void recoverPendingWrite(const std::filesystem::path& journalDir, const ImageCalls& calls);

} // namespace kv::image
