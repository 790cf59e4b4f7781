// Which format an image file is in, told by its own magic bytes rather than by qemu-img's guess
// (a raw image must never be taken for something else), and how many bytes its disk holds.
#pragma once

#include "Failure.h"
#include "ImageCalls.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kv::image {

struct ImageInfo {
    std::string format;            // as qemu-img names it: "raw", "vpc", "qcow2", "vdi", "vmdk", "vhdx"
    std::uint64_t virtualSize = 0; // the bytes of the disk inside
};

// Throws a Failure when the file is missing, not a regular file, empty, or a damaged image of its
// format (a bad VHD footer, a qcow2 whose backing file is gone).
ImageInfo probeImage(const std::filesystem::path& image, const ImageCalls& calls);

// What could not be done, because the program failed: then the last line it wrote to standard
// error, without its program prefix, or, when it could not be started, the system's reason.
Failure programFailure(const Message& what, const std::string& program, const ProgramResult& result);

// The format as a user knows it: "VHD" for qemu's "vpc", "VDI", "VMDK", "VHDX", "qcow2", "raw".
std::string formatShownName(std::string_view qemuFormat);

// A file name as qemu's option syntax needs it inside "key=value,...": commas doubled.
std::string qemuOptionValue(const std::filesystem::path& file);

} // namespace kv::image
