// Loading, one store, and the unchanged-file check of an accessor's start, on generated
// registry files of 100 KB and 10 MB, each against its baseline in the same run: loading
// against reading the file and splitting it into lines with memchr, and a store against a raw
// write+fsync+rename of as many bytes. A burst of 60 stores on 10 MB is set against the same
// burst on 10 KB. The ratios of the medians are printed at the end.
#include "GeneratedRegistry.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path& fileOf(std::size_t size) {
    static std::map<std::size_t, fs::path> files;
    auto& file = files[size];
    if (file.empty())
        file = kv::bench::generateRegistry(size);
    return file;
}

void Load(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::RegistryFileStore::open(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

std::string readFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return bytes;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* next = nl ? nl + 1 : end;
        lines.emplace_back(p, static_cast<std::size_t>(next - p));
        p = next;
    }
    return lines;
}

// Baseline of Load: the file read and split into lines, and nothing understood.
void LineSplit(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const std::string bytes = readFile(file);
        benchmark::DoNotOptimize(splitLines(bytes));
    }
}

// The split alone, for reference: bytes already in memory.
void LineSplitInMemory(benchmark::State& state) {
    const std::string bytes = readFile(fileOf(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(splitLines(bytes));
}

// Baseline of StoreAndFlush: as many bytes written to a temporary file, fsynced and renamed.
void RawWrite(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    const std::string bytes = readFile(file);
    const fs::path target = file.string() + ".raw";
    for (auto _ : state) {
        std::string temp = file.string() + ".XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
            ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
            state.SkipWithError("raw write failed");
    }
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

// A preset's worth of stores in one accessor, each durable when it returns. Its cost must not
// grow with the file: the same burst on 10 MB against 10 KB.
void Burst(benchmark::State& state) {
    const fs::path& file = fileOf(static_cast<std::size_t>(state.range(0)));
    const auto store = kv::RegistryFileStore::open(file);
    std::int32_t n = 0;
    for (auto _ : state) {
        kv::TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\Vendor7\\Product00007\\Preset");
        for (int i = 0; i < 60; ++i)
            reg.StoreNumber("Setting" + std::to_string(i), ++n);
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
BENCHMARK(LineSplit)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(LineSplitInMemory)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreAndFlush)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(RawWrite)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Burst)->Arg(10 << 10)->Arg(10 << 20)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(
    benchmark::kMillisecond);
BENCHMARK(RefreshUnchanged)->Apply(sizes)->Unit(benchmark::kMicrosecond);

// Prints as the console does, and keeps the medians for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.aggregate_name == "median")
                m_medians[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const {
        const auto ratio = [&](const char* what, const char* base, const char* arg, double target) {
            const auto name = [&](const char* b) { return std::string(b) + "/" + arg + "/repeats:5_median"; };
            const auto a = m_medians.find(name(what));
            const auto b = m_medians.find(name(base));
            if (a == m_medians.end() || b == m_medians.end())
                return;
            const double r = a->second / b->second;
            std::printf("%-14s / %-10s %9s bytes: %6.2fx (target <= %.1fx) %s\n", what, base, arg, r, target,
                        r <= target ? "ok" : "MISSED");
        };
        for (const char* arg : {"102400", "10485760"}) {
            ratio("Load", "LineSplit", arg, 3.0);
            ratio("StoreAndFlush", "RawWrite", arg, 1.3);
        }
        const auto burst = m_medians.find("Burst/10485760/repeats:5_median");
        const auto small = m_medians.find("Burst/10240/repeats:5_median");
        if (burst != m_medians.end() && small != m_medians.end()) {
            const double r = burst->second / small->second;
            std::printf("%-14s 10485760 / 10240 bytes: %6.2fx (target <= 2.0x) %s\n", "Burst of 60", r,
                        r <= 2.0 ? "ok" : "MISSED");
        }
    }

private:
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    fs::remove_all(fs::temp_directory_path() / ("kavendel-bench-" + std::to_string(::getpid())));
}
