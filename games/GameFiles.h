// The games' files, reached through the machine folder by their Windows paths: reading icon
// and configuration files, and replacing a configuration file atomically.
#pragma once

#include "AtomicFile.h"
#include "Failure.h"

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kv {

class MachineFolder;

// The messages of the file failures; each names the Windows path (UTF-8) and is shown translated.
namespace gameFiles {
Message cannotOpen(std::string_view windowsPath);   // ファイル %1 は開けません
Message cannotCreate(std::string_view windowsPath); // ファイル %1 を作成できません
} // namespace gameFiles

class GameFiles {
public:
    // A game's configuration file is a few kilobytes; anything past this is not one, and
    // loading it into the text box would stall the window.
    static constexpr std::size_t MaxFileSize = 8u << 20;

    explicit GameFiles(const MachineFolder& machine, WriteFunction write = {});

    // The whole file. Throws a Failure of cannotOpen when it is missing, not a regular file, outside the
    // machine folder, unreadable or larger than MaxFileSize.
    std::string read(std::string_view windowsPath) const;

    // Replaces the file's content: a temporary file beside it, fsync, rename over it, then fsync
    // of the folder, so the file holds the old or the new bytes and never a mix. Temporary files
    // that a killed save left beside it go first. A file without
    // any write permission counts as read-only and is not replaced. Throws a Failure of
    // cannotCreate, with the write's own failure under it when there was one; the old file is
    // then untouched.
    void save(std::string_view windowsPath, std::string_view bytes) const;

private:
    const MachineFolder& m_machine;
    WriteFunction m_write;
};

} // namespace kv
