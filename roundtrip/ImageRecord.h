// What a machine folder made from a disk image remembers of it, in DIR/image/:
//
//   image/source.txt    the image, its format and partition, and each file of it that matters:
//                       "file<TAB>role<TAB>size<TAB>sha256<TAB>Windows path", or "-" for size and
//                       hash when the file was not there
//   image/registry.reg  the registry as imported, from which the changes since are made
//   image/journal/      the all-or-nothing write's journal
//
// A write-back compares each recorded file with the image before it writes anything.
#pragma once

#include "FileBytes.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct RecordedFile {
    enum class Role {
        Hive,   // SYSTEM.DAT or USER.DAT, read for the registry
        Taken,  // copied into drive_c
        Target, // a file the write-back makes, not copied
    };
    Role role = Role::Taken;
    std::string windowsPath;             // CP932
    std::optional<Fingerprint> contents; // nullopt: not in the image
};

struct ImageRecord {
    std::filesystem::path image;
    std::string format;
    int partition = 0;
    std::vector<RecordedFile> files;

    static std::filesystem::path folder(const std::filesystem::path& machineDir) {
        return machineDir / "image";
    }
    static std::filesystem::path journal(const std::filesystem::path& machineDir) {
        return folder(machineDir) / "journal";
    }
    static std::filesystem::path importedRegistry(const std::filesystem::path& machineDir);

    static std::filesystem::path file(const std::filesystem::path& machineDir) {
        return folder(machineDir) / "source.txt";
    }

    // nullopt when the machine folder was not made from an image; throws a Failure when the
    // record is there but cannot be read.
    static std::optional<ImageRecord> load(const std::filesystem::path& machineDir);
    // What file() holds for this record.
    std::string text() const;
    // Replaces the record atomically.
    void save(const std::filesystem::path& machineDir) const;
};

} // namespace kv
