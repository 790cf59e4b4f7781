#include "GameFiles.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "MachineFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kv {

static Message naming(std::string_view windowsPath, const char* text) {
    return Message{{}, "GameFiles", text, {cp932::toUtf8(windowsPath)}};
}

Message gameFiles::cannotOpen(std::string_view windowsPath) {
    return naming(windowsPath, QT_TRANSLATE_NOOP("GameFiles", "ファイル %1 は開けません"));
}

Message gameFiles::cannotCreate(std::string_view windowsPath) {
    return naming(windowsPath, QT_TRANSLATE_NOOP("GameFiles", "ファイル %1 を作成できません"));
}

GameFiles::GameFiles(const MachineFolder& machine, WriteFunction write)
    : m_machine(machine)
    , m_write(std::move(write)) {}

std::string GameFiles::read(std::string_view windowsPath) const {
    const auto host = m_machine.resolve(windowsPath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec))
        throw Failure(gameFiles::cannotOpen(windowsPath));
    const auto size = fs::file_size(*host, ec);
    if (ec || size > MaxFileSize)
        throw Failure(gameFiles::cannotOpen(windowsPath));
    std::ifstream in(*host, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw Failure(gameFiles::cannotOpen(windowsPath));
    return bytes;
}

void GameFiles::save(std::string_view windowsPath, std::string_view bytes) const {
    auto host = m_machine.resolve(windowsPath);
    if (!host)
        throw Failure(gameFiles::cannotCreate(windowsPath));
    m_machine.beforeChange(*host);
    fs::path target = *host;
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // Replace what a link points at, not the link; resolve() has kept it inside the machine.
        std::error_code ec;
        target = fs::canonical(target, ec);
        const bool readOnly =
            (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0;
        if (ec || !S_ISREG(st.st_mode) || readOnly)
            throw Failure(gameFiles::cannotCreate(windowsPath));
        mode = st.st_mode & 07777;
    }
    FileCalls calls;
    calls.write = m_write;
    try {
        removeStaleTemporaries(target);
        replaceFileAtomically(target, {bytes}, mode, calls);
    } catch (const Failure& e) {
        throw e.within(gameFiles::cannotCreate(windowsPath));
    }
}

} // namespace kv
