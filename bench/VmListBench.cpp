// --list-vms with ten Windows 98 machines: four 86Box machines on raw disks and two on VHDs, two
// VirtualBox machines on VDIs and two libvirt machines on qcow2 disks, each disk a 256 MB FAT32
// Windows 98 drive holding the real test hives. Prints the median of eleven runs of the whole
// program (its time and the processor time it and its qemu-img runs took) and of the survey
// alone, in milliseconds.
//
//   vm_list_bench [FOLDER]
//
// FOLDER (default: the temporary folder) gets a home of its own for the emulators' files.
#include "MachineSurvey.h"
#include "Win98Image.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace kv;

namespace {

constexpr int Runs = 11;
const fs::path Hives = fs::path(KAVENDEL_TEST_DATA) / "hives";

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

fs::path converted(const fs::path& raw, const std::string& format, const fs::path& out) {
    fs::create_directories(out.parent_path());
    test::runTool({"qemu-img", "convert", "-f", "raw", "-O", format, raw.string(), out.string()});
    return out;
}

std::string vbox(const std::string& name, const fs::path& disk) {
    return "<?xml version=\"1.0\"?>\n<VirtualBox xmlns=\"http://www.virtualbox.org/\" "
           "version=\"1.19-linux\">\n"
           "  <Machine uuid=\"{00000000-0000-0000-0000-0000000000" +
           name.substr(name.size() - 2) + "}\" name=\"" + name +
           "\" OSType=\"Windows98\">\n    <MediaRegistry><HardDisks>\n"
           "      <HardDisk uuid=\"{11111111-0000-0000-0000-000000000001}\" location=\"" +
           disk.filename().string() +
           "\" format=\"VDI\" type=\"Normal\"/>\n    </HardDisks></MediaRegistry>\n    "
           "<Hardware><StorageControllers>\n"
           "      <StorageController name=\"IDE\" type=\"PIIX4\" PortCount=\"2\" Bootable=\"true\">\n"
           "        <AttachedDevice type=\"HardDisk\" port=\"0\" device=\"0\"><Image "
           "uuid=\"{11111111-0000-0000-0000-000000000001}\"/></AttachedDevice>\n"
           "      </StorageController>\n    </StorageControllers></Hardware>\n  </Machine>\n</VirtualBox>\n";
}

void makeMachines(const fs::path& home, const fs::path& raw) {
    const fs::path box86 = home / ".local/share/86Box/Virtual Machines";
    std::string registry;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "Win98 box 0" + std::to_string(i);
        const fs::path disk = i < 4 ? converted(raw, "raw", box86 / name / "win98.img")
                                    : converted(raw, "vpc", box86 / name / "win98.vhd");
        write(box86 / name / "86box.cfg", "[Hard disks]\nhdd_01_fn = " + disk.filename().string() + "\n");
    }
    for (int i = 6; i < 8; ++i) {
        const std::string name = "Windows 98 SE 0" + std::to_string(i);
        const fs::path folder = home / "VirtualBox VMs" / name;
        write(folder / (name + ".vbox"), vbox(name, converted(raw, "vdi", folder / (name + ".vdi"))));
        registry += "<MachineEntry uuid=\"{0}\" src=\"" + (folder / (name + ".vbox")).string() + "\"/>\n";
    }
    write(home / ".config/VirtualBox/VirtualBox.xml",
          "<?xml version=\"1.0\"?>\n<VirtualBox><Global><MachineRegistry>\n" + registry +
              "</MachineRegistry></Global></VirtualBox>\n");
    for (int i = 8; i < 10; ++i) {
        const std::string name = "win98-0" + std::to_string(i);
        const fs::path disk = converted(raw, "qcow2", home / "images" / (name + ".qcow2"));
        write(home / ".config/libvirt/qemu" / (name + ".xml"),
              "<domain type='kvm'><name>" + name +
                  "</name><devices><disk type='file' device='disk'>"
                  "<driver name='qemu' type='qcow2'/><source file='" +
                  disk.string() + "'/></disk></devices></domain>\n");
    }
}

double medianMilliseconds(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[Runs / 2];
}

// User and system time of the child processes that have ended, their own children included.
double childProcessorMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto milliseconds = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder =
        (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "kavendel-vm-list-bench";
    fs::remove_all(folder);
    const fs::path home = folder / "home";
    fs::create_directories(home);
    test::Win98Image disk(folder, 256ull << 20, 32);
    disk.installWindows(Hives);
    makeMachines(home, disk.raw());

    const vms::SearchPlaces places{home, home / ".config", home / ".local/share"};
    std::size_t found = 0;
    const double survey = medianMilliseconds([&] {
        found =
            vms::surveyMachines(places, home / ".local/share/kavendel/images", [](const Failure&) {}).size();
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
    QByteArray listed;
    std::vector<double> processorTimes;
    const double program = medianMilliseconds([&] {
        const double before = childProcessorMilliseconds();
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KAVENDEL_PROGRAM), {QStringLiteral("--list-vms")});
        process.waitForFinished(-1);
        listed = process.readAllStandardOutput();
        processorTimes.push_back(childProcessorMilliseconds() - before);
    });
    std::sort(processorTimes.begin(), processorTimes.end());
    std::printf("machines found: %zu, listed lines: %lld\n", found,
                static_cast<long long>(listed.count('\n')));
    std::printf("kavendel --list-vms, median of %d: %.1f ms\n", Runs, program);
    std::printf("  processor time of kavendel and its qemu-img runs, median: %.1f ms\n",
                processorTimes[Runs / 2]);
    std::printf("the survey alone, median of %d: %.1f ms\n", Runs, survey);
    fs::remove_all(folder);
    return 0;
}
