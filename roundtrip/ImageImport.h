// A machine folder made from the Windows 98 inside a disk image, and the changes made on it put
// back into the image in one step.
#pragma once

#include "DiskImage.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kv {

struct OutsideFile; // Snapshots.h

namespace image {
class FatVolume;
}

// Makes dir, new or empty, from the image: registry.reg from the hives that MSDOS.SYS's WinDir=
// points to (C:\WINDOWS without one), drive_c/ with the files Kavendel reads or changes there
// and the Startup folder, and the record of the image. Files that cannot be taken (too large,
// damaged, a folder where a file should be, outside the machine folder) are passed over with a
// line on notes. Throws a Failure; dir is then as it was.
void importImage(const std::filesystem::path& dir, const std::filesystem::path& image,
                 std::optional<int> partition, std::ostream& notes);

// Puts into the image the changes since the import: the machine's registry into the image's
// SYSTEM.DAT and USER.DAT, C:\KAVENDEL\CHANGES.REG and the Startup batch that applies it, and
// every taken file changed or deleted in drive_c/. Refuses, before writing anything, when a
// recorded file or hive changed in the image since, the image is in use, read-only or full. Returns the bytes
// moved; nothing when there was nothing to write. calls are the file and program calls of the write, which
// tests cut short.
std::optional<image::TransferCounters> writeBackToImage(const std::filesystem::path& dir,
                                                        const image::ImageCalls& calls = {});

// Whether the machine folder holds changes that the image does not have yet, by the record
// alone, without reading the image.
bool hasUnwrittenChanges(const std::filesystem::path& dir);

// Whether the image still holds every recorded file and hive as the record has it.
bool imageUnchangedSinceImport(const std::filesystem::path& dir);

// The machine folder of its own that image gets under imagesFolder: imported on first use and
// reused while the image holds what was imported. When the image changed since, the folder is
// imported anew, unless it holds changes not written yet, which are never dropped: a Failure.
std::filesystem::path machineForImage(const std::filesystem::path& image,
                                      const std::filesystem::path& imagesFolder, std::ostream& notes);

// Where machineForImage keeps image's machine folder under imagesFolder, whether it is there yet
// or not.
std::filesystem::path machineFolderFor(const std::filesystem::path& image,
                                       const std::filesystem::path& imagesFolder);

// The Windows folder of the volume: WinDir= of MSDOS.SYS's [Paths] section, else C:\WINDOWS.
std::string windowsFolder(image::FatVolume& fat);

// Finishes or undoes a write-back that a previous run left unfinished; nothing for a machine
// folder that was not made from an image.
void recoverImageWrite(const std::filesystem::path& dir);

// Puts the image's files that a snapshot kept back into the image in one step, the record with
// them; the caller holds the machine folder's lock. Refuses, changing nothing, when one of them
// is no longer as the write-back left it (Windows changed it since).
void restoreImageFiles(const std::filesystem::path& dir, const std::vector<OutsideFile>& files,
                       const image::ImageCalls& calls = {});

} // namespace kv
