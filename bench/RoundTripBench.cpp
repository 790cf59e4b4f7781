// The round trip's costs on the demo machine and on generated registries of 100 KB and 10 MB:
// taking a snapshot, and exporting a typical session's changes as a patch (thirty driver
// options stored and one key removed), and listing snapshots. The counters give each snapshot's
// and patch's size.
#include "GeneratedRegistry.h"
#include "RegistryDiff.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "Snapshots.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

// A machine folder holding the demo registry (size 0) or a generated one of about size bytes.
fs::path machineOf(std::int64_t size) {
    const fs::path dir = fs::temp_directory_path() / ("kavendel-roundtrip-bench-" + std::to_string(size));
    fs::remove_all(dir);
    fs::create_directories(dir / "drive_c");
    const fs::path source = size == 0 ? fs::path(KAVENDEL_DEMO_MACHINE "/registry.reg")
                                      : kv::bench::generateRegistry(static_cast<std::size_t>(size));
    fs::copy_file(source, dir / "registry.reg");
    return dir;
}

std::uintmax_t folderSize(const fs::path& dir) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

void session(const fs::path& dir) {
    auto store = kv::RegistryFileStore::open(dir / "registry.reg");
    kv::TSettingsAccessor reg(*store);
    reg.OpenPath("\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\Settings");
    for (int i = 0; i < 30; ++i)
        reg.StoreText("Option" + std::to_string(i), i % 2 ? "1" : "0");
    reg.RemovePath("\\SOFTWARE\\ATI Technologies");
    reg.RemovePath("\\SOFTWARE\\Vendor1\\Product00001");
}

void Snapshot(benchmark::State& state) {
    const fs::path dir = machineOf(state.range(0));
    kv::Snapshots snapshots(dir);
    std::uint64_t id = 0;
    for (auto _ : state)
        id = snapshots.take({});
    state.counters["registry_bytes"] = static_cast<double>(fs::file_size(dir / "registry.reg"));
    state.counters["snapshot_bytes"] =
        static_cast<double>(folderSize(snapshots.folder() / std::to_string(id)));
}

void ExportChanges(benchmark::State& state) {
    const fs::path dir = machineOf(state.range(0));
    const std::string before = readFile(dir / "registry.reg");
    session(dir);
    const std::string after = readFile(dir / "registry.reg");
    std::string patch;
    for (auto _ : state)
        patch = kv::changesPatch(before, after);
    state.counters["patch_bytes"] = static_cast<double>(patch.size());
}

// Listing twenty snapshots with what each changed, one stored value apart: the target is 50 ms
// for a 10 MB registry.
void ListSnapshots(benchmark::State& state) {
    const fs::path dir = machineOf(state.range(0));
    kv::Snapshots snapshots(dir);
    std::chrono::duration<double, std::milli> taking{};
    for (int i = 0; i < 20; ++i) {
        auto store = kv::RegistryFileStore::open(dir / "registry.reg");
        kv::TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software\\Kavendel");
        reg.StoreNumber("Round", i);
        store.reset();
        const auto start = std::chrono::steady_clock::now();
        snapshots.take({});
        taking += std::chrono::steady_clock::now() - start;
    }
    state.counters["take_ms"] = taking.count() / 20; // each counts its changes since the one before
    std::size_t listed = 0;
    for (auto _ : state)
        listed = snapshots.listWithChanges().size();
    state.counters["snapshots"] = static_cast<double>(listed);
}

} // namespace

BENCHMARK(Snapshot)->Arg(0)->Arg(100 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportChanges)->Arg(0)->Arg(100 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(ListSnapshots)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
