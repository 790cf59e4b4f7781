// Start to first painted window, and peak memory: Kavendel's main window over a machine folder
// against a bare Qt window of the same size and fonts. Each sample is a fresh process; the two
// kinds alternate so both see the same machine load.
//
//   startup_bench DEMO_MACHINE_DIR [SAMPLES]
//
// Prints the medians, their ratio, and the peak RSS of each kind, for the demo machine and for
// the demo machine with its registry grown to 10 MB.
#include "MachineFolder.h"
#include "Main.h"
#include "MessageLog.h"
#include "MillisecondClock.h"
#include "OsVersion.h"
#include "RegistryFileStore.h"
#include "WindowFont.h"

#include "Fakes.h"
#include "RecordingLauncher.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Waits for the first paint of window, then reports the peak RSS in KiB on stdout.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

int childMain(int argc, char** argv, const std::string& kind, const fs::path& machineDir) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    kv::installWindowFont();
    FirstPaint watcher;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<kv::SettingsStore> store;
    kv::MessageLog dialogs(fs::temp_directory_path() / "kavendel-bench-messages.txt");
    kv::MachineFolder machine(machineDir);
    kv::test::FixedOsVersion os;
    kv::MonotonicClock clock;
    kv::test::PlainCpu cpu;
    kv::test::RecordingLauncher launcher;
    if (kind == "bare") {
        window = std::make_unique<QWidget>();
        window->setFixedSize(431, 386);
    } else {
        store = kv::RegistryFileStore::open(machine.registryFile());
        window =
            std::make_unique<kv::TForm1>(kv::Services{*store, dialogs, machine, os, clock, cpu, launcher});
    }
    window->installEventFilter(&watcher);
    window->show();
    while (!watcher.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    std::fflush(stdout);
    return 0;
}

struct Sample {
    double ms;
    long rssKiB;
};

Sample runChild(const char* self, const std::string& kind, const fs::path& machine) {
    int out[2];
    if (pipe(out) != 0)
        std::exit(1);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl(self, self, "--child", kind.c_str(), machine.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    char buffer[64] = {};
    const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child %s failed\n", kind.c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), std::atol(buffer)};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A copy of the demo machine whose registry is grown to about 10 MB of realistic keys.
fs::path bigMachine(const fs::path& demo) {
    const fs::path dir = fs::temp_directory_path() / "kavendel-bench-10mb";
    fs::remove_all(dir);
    fs::copy(demo, dir, fs::copy_options::recursive);
    std::ofstream reg(dir / "registry.reg", std::ios::binary | std::ios::app);
    for (int key = 0; reg.tellp() < 10 * 1024 * 1024; ++key) {
        reg << "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Filler\\Product" << key / 100 << "\\Key" << key << "]\r\n";
        reg << "\"Name\"=\"Filler value number " << key << "\"\r\n";
        reg << "\"Flags\"=dword:" << std::hex << key << std::dec << "\r\n";
        reg << "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,"
               "\\\r\n"
               "  19,1a,1b,1c,1d,1e,1f\r\n";
    }
    return dir;
}

void compare(const char* self, const char* label, const fs::path& machine, int samples,
             std::uintmax_t regBytes) {
    std::vector<double> bare, form;
    long bareRss = 0, formRss = 0;
    for (int i = 0; i < samples; ++i) {
        const Sample b = runChild(self, "bare", machine);
        const Sample f = runChild(self, "form", machine);
        bare.push_back(b.ms);
        form.push_back(f.ms);
        bareRss = std::max(bareRss, b.rssKiB);
        formRss = std::max(formRss, f.rssKiB);
    }
    const double mb = median(bare), mf = median(form);
    std::printf("%-14s registry %8.1f KiB | first paint: bare %7.1f ms, Kavendel %7.1f ms, ratio %.2f | "
                "peak RSS: bare %6ld KiB, Kavendel %6ld KiB, extra %.2fx the registry\n",
                label, regBytes / 1024.0, mb, mf, mf / mb, bareRss, formRss,
                double(formRss - bareRss) * 1024.0 / double(regBytes));
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--child")
        return childMain(argc, argv, argv[2], argv[3]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DEMO_MACHINE_DIR [SAMPLES]\n", argv[0]);
        return 2;
    }
    const fs::path demo = argv[1];
    const int samples = argc >= 3 ? std::atoi(argv[2]) : 11;
    const fs::path work = fs::temp_directory_path() / "kavendel-bench-demo";
    fs::remove_all(work);
    fs::copy(demo, work, fs::copy_options::recursive);
    compare(argv[0], "demo machine", work, samples, fs::file_size(work / "registry.reg"));
    const fs::path big = bigMachine(demo);
    compare(argv[0], "10 MB registry", big, samples, fs::file_size(big / "registry.reg"));
    return 0;
}
