// A machine folder made from the Windows 98 inside a disk image, and the changes made on it put
// back into the image in one step.
#pragma once

#include "DiskImage.h"
#include "RegistryDiff.h"
#include "WritePlan.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kv {

struct OutsideFile;    // Snapshots.h
struct OutsideRestore; // Snapshots.h

namespace image {
class FatVolume;
}

// Makes dir, new or empty, from the image: registry.reg from the hives that MSDOS.SYS's WinDir=
// points to (C:\WINDOWS without one), drive_c/ with the files Kavendel reads or changes there
// and the Startup folder, and the record of the image. Files that cannot be taken (too large,
// damaged, a folder where a file should be, outside the machine folder) are passed over with a
// note, as is the partition taken when several are FAT and none was asked for. Throws a
// Failure; dir is then as it was.
void importImage(const std::filesystem::path& dir, const std::filesystem::path& image,
                 std::optional<int> partition, const Notes& notes);

struct ImageWriteReport {
    std::optional<image::TransferCounters> moved; // nothing when there was nothing to write
    // What Windows changed too since the baseline, where the machine's change won.
    std::vector<Collision> collisions;
    std::vector<std::string> filesChangedInWindows; // Windows paths, CP932
    // The machine's registry changes since the baseline, and the files put into the image or
    // deleted there, by their Windows paths.
    WritePlan plan;
};

// Puts into the image, as it is now, the machine's changes since its baseline (the registry as
// last imported or written back): into the image's SYSTEM.DAT and USER.DAT, as
// C:\KAVENDEL\CHANGES.REG with the Startup batch that applies it, and every taken file changed or
// deleted in drive_c/. What Windows changed meanwhile stays, where the machine did not change it
// too. The machine's registry becomes the baseline. Refuses, before writing anything, when the
// image is in use, read-only or full, or registry.reg has a line the store cannot read. calls
// are the file and program calls of the write, which tests cut short.
ImageWriteReport writeBackToImage(const std::filesystem::path& dir, const image::ImageCalls& calls = {});
// What writeBackToImage would do to the image as it is now, read without a lock; nothing is written.
ImageWriteReport planImageWriteBack(const std::filesystem::path& dir);

// Whether the machine folder holds changes that the image does not have yet, by the record
// alone, without reading the image.
bool hasUnwrittenChanges(const std::filesystem::path& dir);

// Whether the image still holds every recorded file and hive as the record has it.
bool imageUnchangedSinceImport(const std::filesystem::path& dir);

// The machine folder of its own that image gets under imagesFolder: imported on first use and
// reused after. When the image changed since the folder's baseline (Windows ran), the folder is
// refreshed: what the image holds becomes the baseline, the machine's changes not written yet are
// put on top of it again, and an automatic snapshot keeps the folder as it was. A folder is never
// deleted: one that is there but was not made whole from an image is refused.
std::filesystem::path machineForImage(const std::filesystem::path& image,
                                      const std::filesystem::path& imagesFolder, const Notes& notes);

// Where machineForImage keeps image's machine folder under imagesFolder, whether it is there yet
// or not.
std::filesystem::path machineFolderFor(const std::filesystem::path& image,
                                       const std::filesystem::path& imagesFolder);

// The Windows folder of the volume: WinDir= of MSDOS.SYS's [Paths] section, else C:\WINDOWS.
std::string windowsFolder(image::FatVolume& fat);

// Finishes or undoes a write-back that a previous run left unfinished; nothing for a machine
// folder that was not made from an image.
void recoverImageWrite(const std::filesystem::path& dir);
// Whether a write-back that a previous run left unfinished waits for recoverImageWrite.
bool hasUnfinishedImageWrite(const std::filesystem::path& dir);

// Plans putting the image's files that a snapshot kept back into the image in one step, the record
// with them; the caller holds the machine folder's lock, and the image stays locked until the plan
// is dropped. Refuses, changing nothing, when one of them is no longer as the write-back left it
// (Windows changed it since).
OutsideRestore planImageRestore(const std::filesystem::path& dir, const std::vector<OutsideFile>& files,
                                const image::ImageCalls& calls = {});

} // namespace kv
