// Loading, one store with its flush, and the unchanged-file check of an accessor's start, on
// generated registry files of 100 KB and 10 MB.
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A registry file of about `size` bytes, shaped like an export: sections of strings, numbers
// and continued hex lines, with a comment now and then.
fs::path generate(std::size_t size) {
    const fs::path dir = fs::temp_directory_path() / ("kavendel-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / ("registry-" + std::to_string(size) + ".reg");
    std::string text = "REGEDIT4\r\n";
    char line[128];
    for (int key = 0; text.size() < size; ++key) {
        std::snprintf(line, sizeof line, "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor%d\\Product%05d]\r\n",
                      key % 50, key);
        text += line;
        if (key % 10 == 0)
            text += "; generated\r\n";
        text += "\"DriverDesc\"=\"Display adapter \\\"model\\\" \x95\x5C\x8E\xA6\"\r\n";
        std::snprintf(line, sizeof line, "\"Index\"=dword:%08x\r\n", key);
        text += line;
        text += "\"Table\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\r\n"
                "  18,19,1a,1b,1c,1d,1e,1f\r\n";
        text += "@=\"default\"\r\n";
    }
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

const fs::path& fileOf(std::size_t size) {
    static std::map<std::size_t, fs::path> files;
    auto& file = files[size];
    if (file.empty())
        file = generate(size);
    return file;
}

void Load(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::RegistryFileStore::open(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void StoreAndFlush(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    const auto store = kv::RegistryFileStore::open(file);
    int n = 0;
    for (auto _ : state) {
        kv::TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\Vendor7\\Product00007");
        reg.StoreText("DisableHyperZ", ++n % 2 ? "1" : "0");
    }
}

void RefreshUnchanged(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    const auto store = kv::RegistryFileStore::open(file);
    for (auto _ : state)
        store->refresh();
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100 << 10)->Arg(10 << 20)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(Load)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreAndFlush)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshUnchanged)->Apply(sizes)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(fs::temp_directory_path() / ("kavendel-bench-" + std::to_string(::getpid())));
}
