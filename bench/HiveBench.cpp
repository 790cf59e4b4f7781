// Windows 98's registry files: reading the real 1.2 MB SYSTEM.DAT and writing it back unchanged,
// against reading and writing the same bytes plainly; one value changed in place, with the bytes
// of the file it touches; and the memory's peak while a file is read, changed and written, as a
// multiple of the file's size.
#include "Hive.h"
#include "HiveChanges.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using kv::hive::Hive;

namespace {

const fs::path Source = KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT";

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

const fs::path Target = fs::temp_directory_path() / "kavendel-hive-bench.dat";

void plainReadWrite(benchmark::State& state) {
    for (auto _ : state)
        writeFile(Target, readFile(Source));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(Source)));
}

void hiveReadWrite(benchmark::State& state) {
    for (auto _ : state)
        writeFile(Target, Hive::read(readFile(Source)).write());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(Source)));
}

// A value of SOFTWARE\Microsoft\Windows\CurrentVersion given new data of its own size.
void oneValueInPlace(benchmark::State& state) {
    const std::string before = readFile(Source);
    std::size_t touched = 0;
    for (auto _ : state) {
        Hive hive = Hive::read(before);
        const auto key = *kv::hive::findKey(hive, {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"});
        const kv::hive::Value value = hive.values(key).at(2);
        hive.setValue(key, value.name, value.type, std::string(value.data.size(), 'K'));
        const std::string after = hive.write();
        state.PauseTiming();
        touched = 0;
        for (std::size_t i = 0; i < after.size(); ++i)
            touched += after[i] != before[i];
        state.ResumeTiming();
    }
    state.counters["bytes_touched"] = static_cast<double>(touched);
}

// A field of /proc/self/status, in bytes.
double statusField(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stod(line.substr(name.size() + 1)) * 1024;
    return 0;
}

// The resident set's growth at its peak: the kernel's high-water mark is reset first.
void peakMemory(benchmark::State& state) {
    const double size = static_cast<double>(fs::file_size(Source));
    double peak = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";
        const double start = statusField("VmRSS");
        Hive hive = Hive::read(readFile(Source));
        kv::hive::applyChanges(
            hive,
            {{kv::hive::Change::Kind::SetValue, {"Software", "Kavendel"}, "Runs", 4, std::string(4, '\1')}});
        writeFile(Target, hive.write());
        peak = (statusField("VmHWM") - start) / size;
    }
    state.counters["peak_memory_per_file_size"] = peak;
}

} // namespace

BENCHMARK(plainReadWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(hiveReadWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(oneValueInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(peakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
