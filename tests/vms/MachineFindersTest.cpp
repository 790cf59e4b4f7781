// Each emulator's files as it writes them, read into machines: names, disks (relative and
// absolute, several, snapshots' differencing disks) and files that are no configuration.
#include "MachineFinders.h"

#include "TemporaryFolder.h"

#include <QString>
#include <QUuid>

#include <gtest/gtest.h>

#include <fstream>

namespace kv::vms {
namespace {

namespace fs = std::filesystem;

struct Home {
    test::TemporaryFolder folder;
    SearchPlaces places{folder.path(), folder.path() / ".config", folder.path() / ".local/share"};

    void write(const fs::path& relative, const std::string& text) const {
        fs::create_directories((folder.path() / relative).parent_path());
        std::ofstream(folder.path() / relative, std::ios::binary) << text;
    }
    // "emulator|name|disk,disk*" with each disk relative to the home and "*" for a differencing one.
    std::vector<std::string> found(int& notes) const {
        std::vector<std::string> shown;
        for (const VirtualMachine& machine : findMachines(places, [&](const Failure&) { ++notes; })) {
            std::string line = std::string(emulatorName(machine.emulator)) + "|" + machine.name + "|";
            for (const AttachedDisk& disk : machine.disks)
                line +=
                    disk.image.lexically_relative(folder.path()).string() + (disk.differencing ? "*," : ",");
            shown.push_back(line);
        }
        return shown;
    }
};

// The 86Box manager's key for a machine folder: a name-based UUID of its path with a slash.
std::string managerKey(const fs::path& folder) {
    const QString dir = QString::fromStdString(fs::canonical(folder).string()) + u'/';
    return QUuid::createUuidV5(QUuid(), dir).toString(QUuid::WithoutBraces).toStdString();
}

const char* const Box86Config = "[General]\nvid_renderer = qt_software\n\n[Machine]\nmachine = p2bls\n"
                                "cpu_family = pentium2_deschutes\n\n[Hard disks]\n"
                                "hdd_01_parameters = 63, 16, 4161, 0, ide\nhdd_01_fn = win98.vhd\n"
                                "hdd_01_ide_channel = 0:0\nhdd_02_parameters = 63, 16, 1015, 0, ide\n"
                                "hdd_02_fn = ../../shared/games.img\nhdd_02_ide_channel = 0:1\n\n"
                                "[Floppy and CD-ROM drives]\ncdrom_01_image_path = /isos/win98se.iso\n";

// A machine with one snapshot: the snapshot keeps the base attached, the current state runs on
// the differencing disk nested under it.
const char* const SnapshotVbox = R"(<?xml version="1.0"?>
<VirtualBox xmlns="http://www.virtualbox.org/" version="1.19-linux">
  <Machine uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0aa}" name="Windows 98 SE" OSType="Windows98" currentSnapshot="{11111111-2222-3333-4444-555555555555}" snapshotFolder="Snapshots">
    <MediaRegistry>
      <HardDisks>
        <HardDisk uuid="{aaaaaaaa-0000-0000-0000-000000000001}" location="Windows 98 SE.vdi" format="VDI" type="Normal">
          <HardDisk uuid="{aaaaaaaa-0000-0000-0000-000000000002}" location="Snapshots/{aaaaaaaa-0000-0000-0000-000000000002}.vdi" format="VDI"/>
        </HardDisk>
      </HardDisks>
      <DVDImages>
        <Image uuid="{aaaaaaaa-0000-0000-0000-000000000009}" location="/isos/win98se.iso"/>
      </DVDImages>
    </MediaRegistry>
    <Snapshot uuid="{11111111-2222-3333-4444-555555555555}" name="Clean install" timeStamp="2026-01-02T03:04:05Z">
      <Hardware>
        <StorageControllers>
          <StorageController name="IDE" type="PIIX4" PortCount="2" useHostIOCache="true" Bootable="true">
            <AttachedDevice type="HardDisk" hotpluggable="false" port="0" device="0">
              <Image uuid="{aaaaaaaa-0000-0000-0000-000000000001}"/>
            </AttachedDevice>
          </StorageController>
        </StorageControllers>
      </Hardware>
    </Snapshot>
    <Hardware>
      <Memory RAMSize="128"/>
      <StorageControllers>
        <StorageController name="IDE" type="PIIX4" PortCount="2" useHostIOCache="true" Bootable="true">
          <AttachedDevice type="HardDisk" hotpluggable="false" port="0" device="0">
            <Image uuid="{aaaaaaaa-0000-0000-0000-000000000002}"/>
          </AttachedDevice>
          <AttachedDevice passthrough="false" type="DVD" hotpluggable="false" port="1" device="0">
            <Image uuid="{aaaaaaaa-0000-0000-0000-000000000009}"/>
          </AttachedDevice>
        </StorageController>
      </StorageControllers>
    </Hardware>
  </Machine>
</VirtualBox>
)";

// An older machine whose two disks VirtualBox.xml registers itself, with the controllers beside
// the hardware as older versions wrote them.
const char* const TwoDiskVbox = R"(<?xml version="1.0"?>
<VirtualBox xmlns="http://www.virtualbox.org/" version="1.12-linux">
  <Machine uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0bb}" name="Win95" OSType="Windows95">
    <Hardware version="2"><Memory RAMSize="64"/></Hardware>
    <StorageControllers>
      <StorageController name="IDE Controller" type="PIIX4" PortCount="2" Bootable="true">
        <AttachedDevice type="HardDisk" port="0" device="0"><Image uuid="{bbbbbbbb-0000-0000-0000-000000000001}"/></AttachedDevice>
        <AttachedDevice type="HardDisk" port="0" device="1"><Image uuid="{bbbbbbbb-0000-0000-0000-000000000002}"/></AttachedDevice>
      </StorageController>
    </StorageControllers>
  </Machine>
</VirtualBox>
)";

std::string virtualBoxXml(const fs::path& home) {
    return R"(<?xml version="1.0"?>
<VirtualBox xmlns="http://www.virtualbox.org/" version="1.12-linux">
  <Global>
    <MachineRegistry>
      <MachineEntry uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0aa}" src=")" +
           (home / "VirtualBox VMs/Windows 98 SE/Windows 98 SE.vbox").string() + R"("/>
      <MachineEntry uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0bb}" src="../../VirtualBox VMs/Win95/Win95.vbox"/>
      <MachineEntry uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0cc}" src="../../VirtualBox VMs/Gone/Gone.vbox"/>
      <MachineEntry uuid="{5c1ffe05-0d1a-4d4e-9cf4-d2f3a1e0c0dd}" src="../../VirtualBox VMs/Notes/Notes.vbox"/>
    </MachineRegistry>
    <MediaRegistry>
      <HardDisks>
        <HardDisk uuid="{bbbbbbbb-0000-0000-0000-000000000001}" location=")" +
           (home / "VirtualBox VMs/Win95/Win95.vdi").string() + R"(" format="VDI" type="Normal"/>
        <HardDisk uuid="{bbbbbbbb-0000-0000-0000-000000000002}" location=")" +
           (home / "VirtualBox VMs/Win95/Data.vhd").string() + R"(" format="VHD" type="Normal"/>
      </HardDisks>
    </MediaRegistry>
  </Global>
</VirtualBox>
)";
}

// As virt-manager and GNOME Boxes write a domain: the title is the name shown, a qcow2 overlay
// carries its backing chain, and CD-ROMs are no hard disks.
std::string domainXml(const std::string& name, const std::string& title, const fs::path& disk,
                      const std::string& metadata) {
    return "<domain type='kvm'>\n  <name>" + name + "</name>\n  <title>" + title + "</title>\n  <metadata>" +
           metadata +
           "</metadata>\n  <memory unit='KiB'>131072</memory>\n  <devices>\n"
           "    <emulator>/usr/bin/qemu-system-i386</emulator>\n"
           "    <disk type='file' device='disk'>\n      <driver name='qemu' type='qcow2'/>\n"
           "      <source file='" +
           disk.string() +
           "'/>\n"
           "      <backingStore type='file'>\n        <format type='raw'/>\n"
           "        <source file='/srv/base/win98-base.img'/>\n      </backingStore>\n"
           "      <target dev='hda' bus='ide'/>\n    </disk>\n"
           "    <disk type='file' device='cdrom'>\n      <source file='/isos/win98se.iso'/>\n"
           "      <target dev='hdc' bus='ide'/>\n      <readonly/>\n    </disk>\n  </devices>\n</domain>\n";
}

TEST(MachineFinders, ReadEachEmulatorsOwnFiles) {
    Home home;
    const fs::path h = home.folder.path();
    // 86Box: the manager's default folder, a folder of the user's own inside it, and the
    // separate manager's ~/86Box VMs; the manager's own name for one of them.
    home.write(".local/share/86Box/Virtual Machines/Win98 Voodoo box/86box.cfg", Box86Config);
    home.write(".local/share/86Box/Virtual Machines/Retro/DOS box/86box.cfg",
               "[Hard disks]\nhdd_01_fn = wp://" + (h / "disks/dos.img").string() + "\n");
    home.write(".local/share/86Box/Virtual Machines/86box.cfg", "[Hard disks]\nhdd_01_fn = root.img\n");
    home.write("86Box VMs/Old/86box.cfg", std::string("[Hard disks]\nhdd_01_fn = old.img\0", 33));
    home.write(".config/86Box/vmm.ini",
               "[General]\nhide_tool_bar=0\n\n[" +
                   managerKey(h / ".local/share/86Box/Virtual Machines/Retro/DOS box") +
                   "]\ndisplay_name=DOS 6.22 box\nconfig_file=whatever\n");
    // VirtualBox: absolute and relative registry entries, a snapshot, disks registered globally,
    // a machine file that is gone and one that is no XML.
    home.write(".config/VirtualBox/VirtualBox.xml", virtualBoxXml(h));
    home.write("VirtualBox VMs/Windows 98 SE/Windows 98 SE.vbox", SnapshotVbox);
    home.write("VirtualBox VMs/Win95/Win95.vbox", TwoDiskVbox);
    home.write("VirtualBox VMs/Notes/Notes.vbox", "my notes, not a machine");
    // libvirt and GNOME Boxes as a Flatpak.
    home.write(".config/libvirt/qemu/win98.xml",
               domainXml("win98", "Windows 98", h / "images/win98.qcow2", ""));
    home.write(".var/app/org.gnome.Boxes/config/libvirt/qemu/boxes-unknown.xml",
               domainXml("boxes-unknown", "Windows Me", h / "boxes/winme",
                         "<boxes:gnome-boxes "
                         "xmlns:boxes=\"https://wiki.gnome.org/Apps/Boxes\"><os-id>http://microsoft.com/win/"
                         "me</os-id></boxes:gnome-boxes>"));
    // PCem: its configs folder moved by pcem.cfg, relative and absolute disks.
    home.write(".pcem/pcem.cfg", "[Paths]\nconfigs_path = " + (h / "pcem-machines/").string() + "\n");
    home.write("pcem-machines/Win95 PC.cfg", "model = p55t2p4\nhdc_sectors = 63\nhdc_fn = win95.img\n"
                                             "hdd_fn = " +
                                                 (h / "disks/spare.img").string() + "\nhde_fn = \n");
    home.write(".pcem/configs/ignored.cfg", "hdc_fn = x.img\n");

    int notes = 0;
    const std::vector<std::string> expected = {
        "86Box|DOS 6.22 box|disks/dos.img,",
        "86Box|Win98 Voodoo box|.local/share/86Box/Virtual Machines/Win98 Voodoo box/win98.vhd,"
        ".local/share/86Box/shared/games.img,",
        "VirtualBox|Windows 98 SE|VirtualBox VMs/Windows 98 "
        "SE/Snapshots/{aaaaaaaa-0000-0000-0000-000000000002}.vdi*,",
        "VirtualBox|Win95|VirtualBox VMs/Win95/Win95.vdi,VirtualBox VMs/Win95/Data.vhd,",
        "QEMU (libvirt)|Windows 98|images/win98.qcow2,",
        "GNOME Boxes|Windows Me|boxes/winme,",
        "PCem|Win95 PC|pcem-machines/win95.img,disks/spare.img,",
    };
    EXPECT_EQ(home.found(notes), expected);
    // The 86box.cfg with a NUL byte, the gone .vbox and the one that is no XML.
    EXPECT_EQ(notes, 3);
}

TEST(MachineFinders, TheManagersFolderComesFromItsGlobalConfiguration) {
    Home home;
    home.write(".config/86Box/86box_global.cfg",
               "[Emulator]\nvmm_path = " + (home.folder.path() / "vms").string() + "\nlanguage = en-US\n");
    home.write("vms/Kept/86box.cfg", "[Hard disks]\nhdd_01_fn = kept.img\n");
    home.write(".local/share/86Box/Virtual Machines/Default/86box.cfg", "[Hard disks]\nhdd_01_fn = d.img\n");
    int notes = 0;
    EXPECT_EQ(home.found(notes), std::vector<std::string>{"86Box|Kept|vms/Kept/kept.img,"});
    EXPECT_EQ(notes, 0);
}

} // namespace
} // namespace kv::vms
