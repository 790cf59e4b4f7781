// Looking into each found machine's disks.
#include "MachineSurvey.h"

#include "ConfigFile.h"
#include "ImageImport.h"
#include "ImageLock.h"
#include "MachineFinders.h"

#include <fcntl.h>
#include <unistd.h>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

bool lockedByEmulator(const fs::path& image) {
    const int fd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool locked = image::lockedByOthers(fd);
    ::close(fd);
    return locked;
}

std::optional<fs::path> existingMachineFolder(const fs::path& image, const fs::path& imagesFolder) {
    const fs::path dir = image::machineFolderFor(image, imagesFolder);
    return isRegularFile(dir / "registry.reg") ? std::optional(dir) : std::nullopt;
}

std::vector<std::string> named(const VirtualMachine& machine, const fs::path& disk) {
    return {machine.name, emulatorName(machine.emulator), disk.string()};
}

// Whether disk holds the Windows, filling in survey when it does; a disk that cannot be looked
// into is told as a note or, when it is the reason the machine cannot be used, as the problem.
bool lookInto(const AttachedDisk& disk, SurveyedMachine& survey, const Notes& notes) {
    if (!isRegularFile(disk.image)) {
        notes(
            Failure(vmText(QT_TRANSLATE_NOOP("VirtualMachines", "%1 (%2) のディスクイメージ %3 がありません"),
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

} // namespace

std::vector<SurveyedMachine> surveyMachines(const SearchPlaces& places, const fs::path& imagesFolder,
                                            const Notes& notes) {
    std::vector<SurveyedMachine> surveyed;
    const std::vector<VirtualMachine> machines = findMachines(places, notes);
    for (const VirtualMachine& machine : machines) {
        SurveyedMachine survey{machine, {}, {}, {}, false, {}};
        for (const AttachedDisk& disk : machine.disks)
            if (lookInto(disk, survey, notes))
                break;
        if (survey.windows)
            survey.problem.reset();
        surveyed.push_back(std::move(survey));
    }
    // Looked at once all probes have ended, so that qemu-img runs of ours are not taken for the emulator.
    const image::OpenFiles openFiles = image::OpenFiles::ofOtherProcesses();
    for (SurveyedMachine& survey : surveyed)
        if (survey.windows) {
            survey.running = openFiles.contains(survey.disk) || lockedByEmulator(survey.disk);
            survey.machineFolder = existingMachineFolder(survey.disk, imagesFolder);
        }
    return surveyed;
}

Message shutDownFirst(const VirtualMachine& machine) {
    return vmText(QT_TRANSLATE_NOOP("VirtualMachines", "'%1' を %2 でシャットダウンしてから開いてください"),
                  {machine.name, emulatorName(machine.emulator)});
}

} // namespace kv::vms
