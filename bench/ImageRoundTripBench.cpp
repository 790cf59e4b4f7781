// Import from and write-back to a 2 GB FAT32 disk image with about 600 MB in use: the time of
// each against the hive import alone, the bytes the write-back reads and writes, and each step's
// peak memory; then write-backs after Windows rewrote SYSTEM.DAT against ones into an image as
// the last write-back left it, in turns, as medians. Each step runs in a child process of its
// own, so that its peak is its own.
//
// Usage: image_roundtrip_bench [FOLDER]   (default: a folder under the system's temporary folder)
#include "FatVolume.h"
#include "Hive.h"
#include "HiveChanges.h"
#include "HiveReader.h"
#include "ImageImport.h"
#include "ImageRecord.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "Win98Image.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t DiskSize = 2ull << 30;
constexpr int BigFiles = 6;
constexpr std::uint64_t BigFileSize = 100ull << 20;
// The driver's options, where the sessions change values.
constexpr const char* SettingsPath = "\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings";

struct Step {
    double seconds = 0;
    long peakKilobytes = 0;
    std::string said; // what the step printed
};

// Runs work in a child process; its output comes back through a pipe.
Step inChild(const std::function<std::string()>& work) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("no pipe");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string said;
        int status = 0;
        try {
            said = work();
        } catch (const std::exception& e) {
            said = std::string("failed: ") + e.what();
            status = 1;
        }
        if (::write(pipeFds[1], said.data(), said.size()) < 0)
            status = 1;
        ::_exit(status);
    }
    ::close(pipeFds[1]);
    Step step;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        step.said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    step.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    step.peakKilobytes = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a step failed: " + step.said);
    return step;
}

void buildImage(kv::test::Win98Image& disk, const fs::path& folder) {
    disk.installWindows(fs::path(KAVENDEL_TEST_DATA) / "hives");
    const fs::path source = folder / "big";
    kv::test::makeBlankImage(source, BigFileSize);
    for (int i = 0; i < BigFiles; ++i)
        disk.mtools({"mcopy", source.string(), "c:/My Documents/Big file " + std::to_string(i) + ".bin"});
    fs::remove(source);
}

// Thirty driver options and one file Kavendel changes, as a session on the machine would.
void session(const fs::path& machine) {
    auto store = kv::RegistryFileStore::open(machine / "registry.reg");
    kv::TSettingsAccessor reg(*store);
    reg.OpenPath(SettingsPath);
    for (int i = 0; i < 30; ++i)
        reg.StoreText("Option" + std::to_string(i), i % 2 ? "1" : "0");
    std::ofstream(machine / "drive_c/WINDOWS/INF/ATI_9XAA.INF", std::ios::app) << "CARD_ATI Radeon256\r\n";
}

constexpr int Turns = 5;
const std::vector<std::string> SettingsKey{"System", "CurrentControlSet", "Services", "Class", "Display",
                                           "0000",   "Settings"};

// Windows starts and rewrites SYSTEM.DAT in the image, with one value of its own changed.
void bootWindows(const fs::path& machine, const fs::path& journal, int turn) {
    const kv::ImageRecord record = *kv::ImageRecord::load(machine);
    const auto volume = kv::image::openVolume(record.image, record.partition);
    kv::image::FatVolume fat(*volume);
    const auto entry = *fat.find(record.files.front().windowsPath);
    kv::hive::Hive system = kv::hive::Hive::read(fat.read(entry, 128u << 20));
    system.setValue(*kv::hive::findKey(system, SettingsKey), "Booted", 1, std::to_string(turn) + '\0');
    fat.replace(entry, system.write());
    kv::image::writeAtomically(volume->location(), fat.writes(), journal);
}

// One driver option changed, so that each write-back has something to write.
void retune(const fs::path& machine, int turn) {
    auto store = kv::RegistryFileStore::open(machine / "registry.reg");
    kv::TSettingsAccessor reg(*store);
    reg.OpenPath(SettingsPath);
    reg.StoreText("Turn", std::to_string(turn));
}

Step writeBackStep(const fs::path& machine) {
    return inChild([&] {
        const auto moved = kv::writeBackToImage(machine).moved;
        if (!moved)
            throw std::runtime_error("nothing was written");
        return std::to_string(moved->bytesRead) + " bytes read, " + std::to_string(moved->bytesWritten) +
               " bytes written";
    });
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void report(const char* name, const Step& step) {
    std::printf("%-28s %8.3f s  peak %7.1f MB  %s\n", name, step.seconds, step.peakKilobytes / 1024.0,
                step.said.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kavendel-image-roundtrip-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    kv::test::Win98Image disk(folder, DiskSize, 32);
    buildImage(disk, folder);
    const fs::path hives = folder / "hives";
    const fs::path machine = folder / "machine";
    fs::create_directories(hives);
    for (const char* name : {"SYSTEM.DAT", "USER.DAT"})
        fs::copy_file(fs::path(KAVENDEL_TEST_DATA) / "hives" / name, hives / name);

    const Step hiveImport = inChild([&] {
        const std::string text = kv::exportHives(hives / "SYSTEM.DAT", hives / "USER.DAT");
        return std::to_string(text.size()) + " bytes of REGEDIT4";
    });
    const Step import = inChild([&] {
        kv::importImage(machine, disk.raw(), std::nullopt,
                        [](const kv::Failure& note) { std::cerr << note.text() << '\n'; });
        return std::string("into ") + machine.string();
    });
    session(machine);
    const Step writeBack = writeBackStep(machine);
    std::vector<double> unchanged, afterWindows;
    for (int turn = 0; turn < 2 * Turns; ++turn) {
        const bool windowsRan = turn % 2;
        if (windowsRan)
            bootWindows(machine, folder / "journal", turn);
        retune(machine, turn);
        (windowsRan ? afterWindows : unchanged).push_back(writeBackStep(machine).seconds);
    }
    struct stat st {};
    ::stat(disk.raw().c_str(), &st);
    std::printf("2 GB FAT32 image, %d MB in files, %lld MB allocated on the host\n",
                BigFiles * static_cast<int>(BigFileSize >> 20), static_cast<long long>(st.st_blocks / 2048));
    report("hive import alone", hiveImport);
    report("import from the image", import);
    report("write-back", writeBack);
    std::printf("import beyond the hive import: %.3f s, %.1f MB\n", import.seconds - hiveImport.seconds,
                (import.peakKilobytes - hiveImport.peakKilobytes) / 1024.0);
    std::printf("write-back beyond the hive import's peak: %.1f MB\n",
                (writeBack.peakKilobytes - hiveImport.peakKilobytes) / 1024.0);
    std::printf("write-back, median of %d: %.3f s into the image as last written, %.3f s after Windows "
                "rewrote SYSTEM.DAT (x%.2f)\n",
                Turns, median(unchanged), median(afterWindows), median(afterWindows) / median(unchanged));
    fs::remove_all(folder);
    return 0;
}
