// Looking into each found machine's disks.
#include "MachineSurvey.h"

#include "ConfigFile.h"
#include "ImageImport.h"
#include "ImageLock.h"
#include "MachineFinders.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MaxProbesAtOnce = 8;

bool lockedByEmulator(const fs::path& image) {
    const int fd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool locked = image::lockedByOthers(fd);
    ::close(fd);
    return locked;
}

std::optional<fs::path> existingMachineFolder(const fs::path& image, const fs::path& imagesFolder) {
    const fs::path dir = machineFolderFor(image, imagesFolder);
    return isRegularFile(dir / "registry.reg") ? std::optional(dir) : std::nullopt;
}

std::vector<std::string> named(const VirtualMachine& machine, const fs::path& disk) {
    return {machine.name, emulatorName(machine.emulator), disk.string()};
}

// Whether disk holds the Windows, filling in survey when it does; a disk that cannot be looked
// into is told as a note or, when it is the reason the machine cannot be used, as the problem.
bool lookInto(const AttachedDisk& disk, SurveyedMachine& survey, const Notes& notes) {
    if (!isRegularFile(disk.image)) {
        notes(Failure(
            vmText(QT_TRANSLATE_NOOP("VirtualMachines",
                                     "%1 (%2) のディスクイメージ %3 がないか、通常のファイルではありません"),
                   named(survey.machine, disk.image))));
        return false;
    }
    // VirtualBox's own snapshot overlays, and VDI or VHD ones of other emulators.
    if (disk.differencing || isForeignDifferencingImage(disk.image)) {
        survey.problem =
            vmText(QT_TRANSLATE_NOOP(
                       "VirtualMachines",
                       "%1 (%2) はスナップショットの差分ディスク %3 で動いていて、qemu はこれを開けないため、"
                       "Kavendel は読み書きしません (%2 でスナップショットを削除して統合すれば使えます)"),
                   named(survey.machine, disk.image));
        return false;
    }
    try {
        survey.windows = probeWindowsDisk(disk.image);
    } catch (const Failure& failure) {
        notes(
            failure.within(vmText(QT_TRANSLATE_NOOP("VirtualMachines", "%1 (%2) のディスク %3 を読めません"),
                                  named(survey.machine, disk.image))));
        return false;
    }
    if (survey.windows)
        survey.disk = disk.image;
    return survey.windows.has_value();
}

SurveyedMachine lookIntoMachine(const VirtualMachine& machine, std::vector<Failure>& told) {
    SurveyedMachine survey{machine, {}, {}, {}, false, {}};
    const Notes notes = [&](const Failure& note) { told.push_back(note); };
    for (const AttachedDisk& disk : machine.disks)
        if (lookInto(disk, survey, notes))
            break;
    if (survey.windows)
        survey.problem.reset();
    return survey;
}

// Looked at once all probes have ended, so that qemu-img runs of ours are not taken for the emulator.
void markRunningAndOpened(std::vector<SurveyedMachine>& surveyed, const fs::path& imagesFolder) {
    const image::OpenFiles openFiles = image::OpenFiles::ofOtherProcesses();
    for (SurveyedMachine& survey : surveyed)
        if (survey.windows) {
            survey.running = openFiles.contains(survey.disk) || lockedByEmulator(survey.disk);
            survey.machineFolder = existingMachineFolder(survey.disk, imagesFolder);
        }
}

} // namespace

std::vector<SurveyedMachine> surveyMachines(const SearchPlaces& places, const fs::path& imagesFolder,
                                            const Notes& notes) {
    const std::vector<VirtualMachine> machines = findMachines(places, notes);
    std::vector<SurveyedMachine> surveyed(machines.size());
    std::vector<std::vector<Failure>> notesOf(machines.size());
    // Each disk of an image that is not raw is read through runs of qemu-img, which mostly wait:
    // several machines are looked into at once, their notes kept to be told in order.
    std::atomic<std::size_t> next = 0;
    const auto worker = [&] {
        for (std::size_t i; (i = next++) < machines.size();)
            surveyed[i] = lookIntoMachine(machines[i], notesOf[i]);
    };
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < std::min(machines.size(), MaxProbesAtOnce); ++i)
        workers.emplace_back(worker);
    for (std::thread& thread : workers)
        thread.join();
    for (const std::vector<Failure>& told : notesOf)
        for (const Failure& note : told)
            notes(note);
    markRunningAndOpened(surveyed, imagesFolder);
    return surveyed;
}

Message shutDownFirst(const VirtualMachine& machine) {
    return vmText(QT_TRANSLATE_NOOP("VirtualMachines", "'%1' を %2 でシャットダウンしてから開いてください"),
                  {machine.name, emulatorName(machine.emulator)});
}

} // namespace kv::vms
