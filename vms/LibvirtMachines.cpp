// QEMU's machines as libvirt defines them for the user's session: one domain XML file each,
// whose file-backed disks are the machine's hard disks. GNOME Boxes defines its machines the
// same way, in the session's folder or, run as a Flatpak, in its own.
#include "MachineFinders.h"

#include "ConfigFile.h"
#include "Failure.h"
#include "XmlConfig.h"

#include <algorithm>

namespace kv::vms {

namespace fs = std::filesystem;

namespace {

// GNOME Boxes marks the machines it made in the domain's metadata.
constexpr QStringView BoxesNamespace = u"https://wiki.gnome.org/Apps/Boxes";

class DomainFile final : public XmlHandler {
public:
    DomainFile(const fs::path& file, Emulator emulator) {
        m_machine.emulator = emulator;
        m_machine.configuration = file;
        m_machine.name = file.stem().string();
    }

    void element(const QXmlStreamReader& reader) override {
        const QStringView name = reader.name();
        ++m_depth;
        m_textOf = m_depth == 2 && (name == u"name" || name == u"title") ? name.toString() : QString();
        if (reader.namespaceUri() == BoxesNamespace)
            m_machine.emulator = Emulator::GnomeBoxes;
        if (name == u"disk")
            m_diskDepth =
                attribute(reader, u"type") == "file" && attribute(reader, u"device") == "disk" ? m_depth : 0;
        // A disk's own source, not those of the backing chain nested in it.
        if (name == u"source" && m_diskDepth && m_depth == m_diskDepth + 1)
            addDisk(attribute(reader, u"file"));
    }

    void text(QStringView text) override {
        if (m_textOf == u"title")
            m_title += text.toString().toStdString();
        else if (m_textOf == u"name")
            m_name += text.toString().toStdString();
    }

    void ended(QStringView name) override {
        if (name == u"disk" && m_depth == m_diskDepth)
            m_diskDepth = 0;
        m_textOf.clear();
        --m_depth;
    }

    // The title is the name the user gave; the domain's name is libvirt's key.
    VirtualMachine machine() const {
        VirtualMachine machine = m_machine;
        if (!m_title.empty() || !m_name.empty())
            machine.name = m_title.empty() ? m_name : m_title;
        return machine;
    }

private:
    void addDisk(const std::string& source) {
        // libvirt needs absolute paths; a relative one would be taken from its own working folder.
        if (fs::path(source).is_absolute())
            m_machine.disks.push_back({fs::path(source).lexically_normal(), false});
    }

    VirtualMachine m_machine;
    std::string m_name, m_title;
    QString m_textOf;
    int m_depth = 0;
    int m_diskDepth = 0;
};

std::vector<fs::path> domainFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".xml")
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::vector<VirtualMachine> findLibvirtMachines(const SearchPlaces& places, const Notes& notes) {
    const std::pair<fs::path, Emulator> folders[] = {
        {places.configHome / "libvirt/qemu", Emulator::Libvirt},
        {places.home / ".var/app/org.gnome.Boxes/config/libvirt/qemu", Emulator::GnomeBoxes},
    };
    std::vector<VirtualMachine> machines;
    for (const auto& [folder, emulator] : folders)
        for (const fs::path& file : domainFiles(folder)) {
            try {
                DomainFile domain(file, emulator);
                walkXml(file, domain);
                machines.push_back(domain.machine());
            } catch (const Failure& failure) {
                notes(failure);
            }
        }
    return machines;
}

} // namespace kv::vms
