// VirtualBox's machines: VirtualBox.xml registers each machine's .vbox file, whose media
// registry holds its disks (a snapshot's differencing disk nested in the disk it changes) and
// whose storage controllers say which of them the machine runs on now.
#include "MachineFinders.h"

#include "ConfigFile.h"
#include "Failure.h"
#include "XmlConfig.h"

#include <map>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

// Disks by their UUID as the file spells it ("{...}"), each location made absolute against the
// folder of the file that registers it.
class MediaRegistry {
public:
    explicit MediaRegistry(fs::path folder)
        : m_folder(std::move(folder)) {}

    void element(const QXmlStreamReader& reader) {
        if (reader.name() != u"HardDisk")
            return;
        const std::string location = attribute(reader, u"location");
        if (!location.empty())
            m_disks[attribute(reader, u"uuid")] = {resolvedAgainst(m_folder, location), m_depth > 0};
        ++m_depth;
    }
    void ended(QStringView name) {
        if (name == u"HardDisk")
            --m_depth;
    }
    const AttachedDisk* find(const std::string& uuid) const {
        const auto found = m_disks.find(uuid);
        return found == m_disks.end() ? nullptr : &found->second;
    }

private:
    fs::path m_folder;
    std::map<std::string, AttachedDisk> m_disks;
    int m_depth = 0; // of nested HardDisk elements: below the first, a disk is differencing
};

// What one .vbox file says, gathered while walking it.
class MachineFile final : public XmlHandler {
public:
    explicit MachineFile(const fs::path& file)
        : m_media(file.parent_path()) {
        m_machine.emulator = Emulator::VirtualBox;
        m_machine.configuration = file;
    }

    void element(const QXmlStreamReader& reader) override {
        m_media.element(reader);
        const QStringView name = reader.name();
        if (name == u"Machine" && m_machine.name.empty())
            m_machine.name = attribute(reader, u"name");
        else if (name == u"Snapshot")
            ++m_snapshotDepth;
        else if (name == u"AttachedDevice")
            m_inHardDiskDevice = m_snapshotDepth == 0 && attribute(reader, u"type") == "HardDisk";
        else if (name == u"Image" && m_inHardDiskDevice)
            m_attached.push_back(attribute(reader, u"uuid"));
    }

    void ended(QStringView name) override {
        m_media.ended(name);
        if (name == u"Snapshot")
            --m_snapshotDepth;
        else if (name == u"AttachedDevice")
            m_inHardDiskDevice = false;
    }

    // The disks attached to the machine's current state; a snapshot's own attachments are what
    // the machine ran on when it was taken.
    VirtualMachine machine(const MediaRegistry& globalMedia) const {
        VirtualMachine machine = m_machine;
        for (const std::string& uuid : m_attached) {
            const AttachedDisk* disk = m_media.find(uuid);
            if (!disk)
                disk = globalMedia.find(uuid);
            if (disk)
                machine.disks.push_back(*disk);
        }
        return machine;
    }

private:
    MediaRegistry m_media;
    VirtualMachine m_machine;
    std::vector<std::string> m_attached;
    int m_snapshotDepth = 0;
    bool m_inHardDiskDevice = false;
};

// The .vbox files VirtualBox.xml registers, and the disks it registers itself, as older
// versions of VirtualBox kept them there.
class Registry final : public XmlHandler {
public:
    explicit Registry(const fs::path& file)
        : folder(file.parent_path())
        , media(folder) {
        walkXml(file, *this);
    }

    void element(const QXmlStreamReader& reader) override {
        media.element(reader);
        const std::string source = attribute(reader, u"src");
        if (reader.name() == u"MachineEntry" && !source.empty())
            machineFiles.push_back(resolvedAgainst(folder, source));
    }
    void ended(QStringView name) override { media.ended(name); }

    const fs::path folder;
    std::vector<fs::path> machineFiles;
    MediaRegistry media;
};

VirtualMachine readMachine(const fs::path& file, const Registry& registry) {
    MachineFile reading(file);
    walkXml(file, reading);
    return reading.machine(registry.media);
}

} // namespace

std::vector<VirtualMachine> findVirtualBoxMachines(const SearchPlaces& places, const Notes& notes) {
    std::vector<VirtualMachine> machines;
    // VirtualBox keeps its settings in ~/.config/VirtualBox, older versions in ~/.VirtualBox.
    for (const fs::path& file :
         {places.configHome / "VirtualBox/VirtualBox.xml", places.home / ".VirtualBox/VirtualBox.xml"}) {
        if (!isRegularFile(file))
            continue;
        try {
            const Registry registry(file);
            for (const fs::path& machineFile : registry.machineFiles) {
                try {
                    machines.push_back(readMachine(machineFile, registry));
                } catch (const Failure& failure) {
                    notes(failure);
                }
            }
        } catch (const Failure& failure) {
            notes(failure);
        }
    }
    return machines;
}

} // namespace kv::vms
