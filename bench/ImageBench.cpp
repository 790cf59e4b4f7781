// Reading from and writing into a 2 GB disk image in each format: opening its FAT volume, reading
// a 2 MB range, and one all-or-nothing write of about 64 KB in twenty ranges, half of them where
// the disk holds data and half where it never did.
//
//   image_bench [FOLDER]
//
// FOLDER (default: the temporary folder) needs about 5 GB free for a while. Prints, per format,
// the times, the bytes read and written, the programs run and how much the image file grew.
#include "DiskImage.h"
#include "ImageBuilder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include <unistd.h>

using namespace kv;
using namespace kv::image;

namespace {

constexpr std::uint64_t DiskSize = 2ull << 30;
constexpr std::uint64_t DataBytes = 600ull << 20;
constexpr std::uint64_t DataStart = 64ull << 20; // in the volume, past the FATs

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Bytes that no format stores as zeros or compresses away.
void fillData(const std::filesystem::path& raw, std::uint64_t at) {
    std::string chunk(1 << 20, '\0');
    std::uint64_t state = 88172645463325252ull;
    std::fstream out(raw, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(at));
    for (std::uint64_t done = 0; done < DataBytes; done += chunk.size()) {
        for (char& c : chunk) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            c = static_cast<char>(state);
        }
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
}

std::vector<VolumeWrite> writeBack(std::uint64_t volumeSize) {
    std::vector<VolumeWrite> writes;
    for (int i = 0; i < 20; ++i) {
        // Even runs fall into the data, odd ones into the empty rest of the volume.
        const std::uint64_t region =
            i % 2 == 0 ? DataStart + DataBytes / 20 * static_cast<std::uint64_t>(i)
                       : DataStart + DataBytes +
                             (volumeSize - DataStart - DataBytes) / 20 * static_cast<std::uint64_t>(i);
        writes.push_back({region + 512 * static_cast<std::uint64_t>(i) + 3,
                          std::string(3277, static_cast<char>('a' + i))});
    }
    return writes;
}

void measure(const std::string& build, const std::filesystem::path& file,
             const std::filesystem::path& journal) {
    test::RecordingRunner runner;
    const ImageCalls calls{&runner, {}, {}};
    const auto sizeBefore = std::filesystem::file_size(file);
    auto start = std::chrono::steady_clock::now();
    const auto volume = openVolume(file, std::nullopt, calls);
    const double openMs = millisecondsSince(start);
    const std::size_t openRuns = runner.runs.size();
    const TransferCounters opened = volume->counters();
    start = std::chrono::steady_clock::now();
    const std::string range = volume->read(DataStart + 12345, 2u << 20);
    const double readMs = millisecondsSince(start);
    const std::uint64_t readBytes = volume->counters().bytesRead - opened.bytesRead;
    const std::size_t readRuns = runner.runs.size() - openRuns;
    start = std::chrono::steady_clock::now();
    const TransferCounters written =
        writeAtomically(volume->location(), writeBack(volume->location().size), journal, calls);
    const double writeMs = millisecondsSince(start);
    std::printf(
        "%-10s open %7.1f ms (%zu runs) | read 2 MB %7.1f ms, %9llu bytes read (%zu runs) | write-back "
        "%7.1f ms, %7llu bytes read, %7llu written (%zu runs) | file grew %llu KB\n",
        build.c_str(), openMs, openRuns, readMs, static_cast<unsigned long long>(readBytes), readRuns,
        writeMs, static_cast<unsigned long long>(written.bytesRead),
        static_cast<unsigned long long>(written.bytesWritten), runner.runs.size() - openRuns - readRuns,
        static_cast<unsigned long long>((std::filesystem::file_size(file) - sizeBefore) / 1024));
    if (range.size() != 2u << 20)
        std::printf("  the read returned %zu bytes\n", range.size());
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path base = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const std::filesystem::path folder = base / "kavendel-image-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    try {
        const auto raw = test::buildFatDisk(folder / "disk.img", DiskSize, 32);
        fillData(raw, 2048 * 512 + DataStart);
        std::printf("2 GB FAT32 disk, %llu MB of data in it\n",
                    static_cast<unsigned long long>(DataBytes >> 20));
        for (const std::string build : {"vpc", "vpc-fixed", "qcow2", "vdi", "raw"}) {
            const auto file = build == "raw" ? raw : test::convertImage(raw, build);
            measure(build, file, folder / "journal");
            if (build != "raw")
                std::filesystem::remove(file);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "image_bench: %s\n", e.what());
        std::filesystem::remove_all(folder);
        return 1;
    }
    std::filesystem::remove_all(folder);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of this process: %ld KB\n", usage.ru_maxrss);
    return 0;
}
