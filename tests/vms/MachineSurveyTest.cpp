// Machines' disks looked into: the disk Windows starts from among several, its format and
// version, the Radeon driver as discovery finds it, a machine its emulator runs, a missing
// disk, a differencing disk qemu cannot open, and the machine folder Kavendel already has.
#include "MachineSurvey.h"

#include "FileContents.h"
#include "Hive.h"
#include "ImageImport.h"
#include "TemporaryFolder.h"
#include "Win98Image.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kv::vms {
namespace {

namespace fs = std::filesystem;

const fs::path Hives = fs::path(KAVENDEL_TEST_DATA) / "hives";

hive::Hive::Key ensureKey(hive::Hive& hive, hive::Hive::Key key, const std::string& name) {
    const auto child = hive.child(key, name);
    return child ? *child : hive.addKey(key, name);
}

// The test hives with the Radeon driver installed as display adapter 0003.
fs::path radeonHives(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(Hives / "USER.DAT", folder / "USER.DAT");
    hive::Hive hive = hive::Hive::read(test::fileContents(Hives / "SYSTEM.DAT"));
    hive::Hive::Key key = hive.root();
    for (const char* name : {"System", "CurrentControlSet", "Services", "Class", "Display", "0003"})
        key = ensureKey(hive, key, name);
    hive.setValue(key, "InfSection", 1, std::string("R6_AGP_ENU\0", 11));
    hive.setValue(key, "DriverDesc", 1, std::string("RADEON 7200\0", 12));
    std::ofstream(folder / "SYSTEM.DAT", std::ios::binary) << hive.write();
    return folder;
}

// A VDI whose header says it is a differencing image, as VirtualBox's snapshots are.
void writeDifferencingVdi(const fs::path& file) {
    std::string header(512, '\0');
    header.replace(0, 40, "<<< Oracle VM VirtualBox Disk Image >>>\n");
    header.replace(64, 4, "\x7f\x10\xda\xbe");
    header[76] = 4;
    std::ofstream(file, std::ios::binary) << header;
}

class MachineSurvey : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new test::TemporaryFolder;
        test::Win98Image disk(s_folder->path(), 64ull << 20, 16);
        disk.installWindows(radeonHives(s_folder->path() / "hives"));
        s_vhd = test::convertImage(disk.raw(), "vpc");
        s_raw = disk.raw();
        s_data = test::buildFatDisk(s_folder->path() / "data.img", 16ull << 20);
    }
    static void TearDownTestSuite() { delete s_folder; }

    void machine(const std::string& name, const std::vector<fs::path>& disks) const {
        std::string config = "[Hard disks]\n";
        for (std::size_t i = 0; i < disks.size(); ++i)
            config += "hdd_0" + std::to_string(i + 1) + "_fn = " + disks[i].string() + "\n";
        const fs::path folder = m_home.path() / ".local/share/86Box/Virtual Machines" / name;
        fs::create_directories(folder);
        std::ofstream(folder / "86box.cfg") << config;
    }

    static inline test::TemporaryFolder* s_folder = nullptr;
    static inline fs::path s_raw, s_vhd, s_data;
    test::TemporaryFolder m_home;
    SearchPlaces m_places{m_home.path(), m_home.path() / ".config", m_home.path() / ".local/share"};
    fs::path m_images = m_home.path() / ".local/share/kavendel/images";
};

TEST_F(MachineSurvey, FindsTheWindowsDiskAndWhatItHolds) {
    const fs::path diff = m_home.path() / "snapshot.vdi";
    writeDifferencingVdi(diff);
    machine("Data first", {s_data, s_raw});
    machine("Running", {s_vhd});
    machine("Gone", {m_home.path() / "gone.img"});
    machine("Snapshot", {diff});
    machine("No Windows", {s_data});
    // A disk path naming a pipe would block whoever opens it.
    const fs::path pipe = m_home.path() / "pipe.img";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    machine("Pipe", {pipe});
    // Kavendel opened the raw image before.
    const fs::path opened = machineFolderFor(s_raw, m_images);
    fs::create_directories(opened);
    std::ofstream(opened / "registry.reg") << "REGEDIT4\r\n";
    // 86Box takes no lock on its disk; it only has it open.
    QProcess emulator;
    emulator.setStandardInputFile(QString::fromStdString(s_vhd.string()));
    emulator.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(emulator.waitForStarted());

    std::vector<std::string> notes;
    const auto machines =
        surveyMachines(m_places, m_images, [&](const Failure& f) { notes.push_back(f.text()); });
    emulator.kill();
    emulator.waitForFinished();

    struct Row {
        const char* name;
        fs::path disk;
        const char* format;
        bool running;
        bool hasFolder;
        bool problem;
    };
    const Row rows[] = {
        // clang-format off
        {"Data first", s_raw, "raw", false, true, false},
        {"Gone",       {},    "",    false, false, false},
        {"No Windows", {},    "",    false, false, false},
        {"Pipe",       {},    "",    false, false, false},
        {"Running",    s_vhd, "vpc", true,  false, false},
        {"Snapshot",   {},    "",    false, false, true},
        // clang-format on
    };
    ASSERT_EQ(machines.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const SurveyedMachine& found = machines[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(found.machine.name, row.name);
        EXPECT_EQ(found.disk, row.disk);
        EXPECT_EQ(found.windows.has_value(), !row.disk.empty());
        if (found.windows) {
            EXPECT_EQ(found.windows->format, row.format);
            EXPECT_EQ(found.windows->partition, 1);
            EXPECT_EQ(windowsName(found.windows->versionNumber), "Windows Me");
            EXPECT_EQ(found.windows->radeonDriver, std::optional<std::string>("RADEON 7200"));
        }
        EXPECT_EQ(found.running, row.running);
        EXPECT_EQ(found.machineFolder.has_value(), row.hasFolder);
        EXPECT_EQ(found.problem.has_value(), row.problem);
    }
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("gone.img"), std::string::npos);
    EXPECT_NE(notes[1].find("pipe.img"), std::string::npos);
}

TEST(WindowsName, NamesEachVersionOfTheFamily) {
    const std::pair<const char*, const char*> rows[] = {
        {"4.00.950", "Windows 95"},
        {"4.03.1214", "Windows 95"},
        {"4.10.1998", "Windows 98"},
        {"4.10.2222", "Windows 98 SE"},
        {"4.90.3000", "Windows Me"},
        {"5.00.2195", ""},
        {"", ""},
    };
    for (const auto& [version, name] : rows)
        EXPECT_EQ(windowsName(version), name) << version;
}

} // namespace
} // namespace kv::vms
