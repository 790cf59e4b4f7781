// Disk images built by the tests themselves, with no root: a sparse raw file, an MBR written here,
// FAT volumes made by mkfs.fat --offset, and qemu-img convert to the other formats.
#pragma once

#include "FileContents.h"
#include "ImageCalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv::test {

struct PartitionEntry {
    unsigned type = 0x06;
    std::uint32_t firstSector = 0;
    std::uint32_t sectorCount = 0;
    bool active = false;
};

// Runs a tool the tests need; throws with its error output when it fails.
inline image::ProgramResult runTool(const std::vector<std::string>& argv) {
    image::SystemProgramRunner runner;
    image::ProgramResult result = runner.run(argv);
    if (result.status != 0)
        throw std::runtime_error(argv.front() + " failed: " + result.err);
    return result;
}

inline void writeBytesAt(const std::filesystem::path& file, std::uint64_t offset, const std::string& bytes) {
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write into " + file.string());
}

// A sparse raw file of size bytes, all zeros.
inline void makeBlankImage(const std::filesystem::path& file, std::uint64_t size) {
    std::ofstream(file, std::ios::binary).close();
    std::filesystem::resize_file(file, size);
}

// Sector 0 as an MBR holding the entries (at most four), with the 55 AA signature.
inline void writeMbr(const std::filesystem::path& file, const std::vector<PartitionEntry>& entries) {
    std::string sector(512, '\0');
    for (std::size_t i = 0; i < entries.size() && i < 4; ++i) {
        const std::size_t at = 446 + 16 * i;
        sector[at] = entries[i].active ? '\x80' : '\0';
        sector[at + 4] = static_cast<char>(entries[i].type);
        for (int b = 0; b < 4; ++b) {
            sector[at + 8 + b] = static_cast<char>(entries[i].firstSector >> (8 * b));
            sector[at + 12 + b] = static_cast<char>(entries[i].sectorCount >> (8 * b));
        }
    }
    sector[510] = '\x55';
    sector[511] = '\xAA';
    writeBytesAt(file, 0, sector);
}

// A FAT12/16/32 volume of sectorCount sectors from firstSector on, with a fixed serial number.
inline void formatFat(const std::filesystem::path& file, std::uint32_t firstSector, std::uint32_t sectorCount,
                      int fatBits) {
    runTool({"mkfs.fat", "-F", std::to_string(fatBits), "-i", "4B41564E", "-n", "KAVENDEL",
             "--offset=" + std::to_string(firstSector), file.string(), std::to_string(sectorCount / 2)});
}

// A raw disk of size bytes with one FAT partition from sector 2048 to the end, active.
inline std::filesystem::path buildFatDisk(const std::filesystem::path& file, std::uint64_t size,
                                          int fatBits = 16) {
    makeBlankImage(file, size);
    const auto sectors = static_cast<std::uint32_t>(size / 512 - 2048);
    writeMbr(file, {{fatBits == 32 ? 0x0Cu : 0x06u, 2048, sectors, true}});
    formatFat(file, 2048, sectors, fatBits);
    return file;
}

// The raw disk converted to format ("raw", "vpc", "vpc-fixed", "qcow2", "vdi") beside it.
inline std::filesystem::path convertImage(const std::filesystem::path& raw, const std::string& format) {
    const bool fixed = format == "vpc-fixed";
    std::filesystem::path out = raw;
    out.replace_extension(fixed ? ".fixed.vhd" : "." + format);
    std::vector<std::string> argv{"qemu-img", "convert", "-f", "raw", "-O", fixed ? "vpc" : format};
    if (fixed)
        argv.insert(argv.end(), {"-o", "subformat=fixed"});
    argv.insert(argv.end(), {raw.string(), out.string()});
    runTool(argv);
    return out;
}

// A qcow2 overlay whose backing file is base (a qcow2), holding no data of its own.
inline std::filesystem::path makeOverlay(const std::filesystem::path& base,
                                         const std::filesystem::path& overlay) {
    runTool({"qemu-img", "create", "-q", "-f", "qcow2", "-F", "qcow2", "-b", base.filename().string(),
             overlay.string()});
    return overlay;
}

// Records every program run and passes it on to the real runner.
class RecordingRunner final : public image::ProgramRunner {
public:
    image::ProgramResult run(const std::vector<std::string>& argv) override {
        runs.push_back(argv);
        return m_real.run(argv);
    }
    std::vector<std::vector<std::string>> runs;

private:
    image::SystemProgramRunner m_real;
};

// Answers every run of one program (argv[0], and argv[1] when given) with a set result, as a
// program that is missing or fails would; runs the rest for real. Records what it answered.
class FailingRunner final : public image::ProgramRunner {
public:
    FailingRunner(std::vector<std::string> prefix, image::ProgramResult result)
        : m_prefix(std::move(prefix))
        , m_result(std::move(result)) {}

    image::ProgramResult run(const std::vector<std::string>& argv) override {
        if (argv.size() >= m_prefix.size() && std::equal(m_prefix.begin(), m_prefix.end(), argv.begin())) {
            ++answered;
            return m_result;
        }
        return m_real.run(argv);
    }
    int answered = 0;

private:
    std::vector<std::string> m_prefix;
    image::ProgramResult m_result;
    image::SystemProgramRunner m_real;
};

} // namespace kv::test
