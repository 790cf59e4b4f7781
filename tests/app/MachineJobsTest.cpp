// The command line's machine jobs, run as the program runs them.
#include "MachineJobs.h"
#include "CommandLine.h"
#include "Console.h"
#include "FileContents.h"
#include "HiveReader.h"
#include "ImageBuilder.h"
#include "LittleEndian.h"
#include "MachineInfo.h"
#include "RegistryDiff.h"
#include "RegistryDocument.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "TemporaryFolder.h"
#include "Win98Image.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct ParseRow {
    QStringList arguments;
    const char* error; // "" when the line is accepted
};

TEST(MachineJobOptions, AreReadAndCheckedAsAWhole) {
    const ParseRow rows[] = {
        {{"--machine", "d", "--import", "x.reg"}, ""},
        {{"--machine", "d", "--import", "SYSTEM.DAT", "USER.DAT", "--drive-c", "/c"}, ""},
        {{"--export-changes", "--apply-at-next-start"}, ""},
        {{"--export-changes", "4", "--machine", "d"}, ""},
        {{"--import", "x.reg"}, "--import needs --machine"},
        {{"--machine", "d", "--import"}, "--import needs FILE"},
        {{"--restore"}, "--restore needs ID"},
        {{"--restore", "--machine", "d"}, "--restore needs ID"},
        {{"--snapshot", "--snapshots"}, "cannot be combined"},
        {{"--snapshot", "--drive-c", "/c"}, "--drive-c goes with --import"},
        {{"--snapshot", "--apply-at-next-start"}, "goes with --export-changes"},
        {{"--machine", "d", "--import", "a", "b", "c"},
         "--import takes one .reg file or two hive files (c is"},
        {{"--write-hives", "SYSTEM.DAT", "USER.DAT"}, ""},
        {{"--write-hives", "SYSTEM.DAT"}, "--write-hives needs two files"},
        {{"--write-image", "-n"}, ""},
        {{"--export-changes", "--apply-at-next-start", "--dry-run"}, ""},
        {{"--snapshot", "--dry-run"}, "--dry-run goes with"},
        {{"--export-changes", "-n"}, "--dry-run goes with"},
        {{"--info", "--json"}, ""},
        {{"--info", "--snapshots"}, "cannot be combined"},
        {{"--json"}, "--json goes with --list-vms or --info"},
    };
    const ConsoleTexts english(Language::English);
    for (const ParseRow& row : rows) {
        const CommandLine line = parseCommandLine(QStringList{"kavendel"} + row.arguments, english);
        if (*row.error)
            EXPECT_TRUE(line.error.contains(QString::fromUtf8(row.error))) << line.error.toStdString();
        else
            EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    }
    const CommandLine line = parseCommandLine({"kavendel", "--export-changes", "4", "--apply-at-next-start"});
    EXPECT_EQ(line.job.kind, MachineJob::Kind::ExportChanges);
    EXPECT_EQ(line.job.id, "4");
    EXPECT_TRUE(line.job.applyAtNextStart);
}

struct JobResult {
    int status;
    std::string out, err;
};

JobResult run(const QStringList& arguments, const fs::path& dir) {
    const CommandLine line =
        parseCommandLine(QStringList{"kavendel", "--machine", QString::fromStdString(dir)} + arguments);
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    std::ostringstream out, err;
    const ConsoleTexts english(Language::English);
    const int status = runMachineJob(line.job, dir, Console(english, out, err));
    return {status, out.str(), err.str()};
}

std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    return text.substr(text.rfind('\n', end) + 1, end - text.rfind('\n', end));
}

TEST(MachineJobs, ImportSnapshotChangeExportAndRestore) {
    const fs::path dir = fs::path(testing::TempDir()) / "jobs-machine";
    fs::remove_all(dir);
    const std::string demo = test::fileContents(KAVENDEL_DEMO_MACHINE "/registry.reg");
    ASSERT_EQ(run({"--import", KAVENDEL_DEMO_MACHINE "/registry.reg"}, dir).status, 0);
    const JobResult snapshot = run({"--snapshot"}, dir);
    ASSERT_EQ(snapshot.status, 0) << snapshot.err;
    EXPECT_EQ(lastLine(snapshot.out), "1");
    {
        auto store = RegistryFileStore::open(dir / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software\\Kavendel");
        reg.StoreNumber("Runs", 1);
    }
    ASSERT_EQ(lastLine(run({"--snapshot"}, dir).out), "2");
    const JobResult listed = run({"--snapshots"}, dir);
    EXPECT_EQ(listed.out.substr(0, listed.out.find('\n')),
              "id\ttime (UTC)\ttaken\tchanges since the snapshot before");
    EXPECT_NE(listed.out.find("\tby hand\tfirst snapshot\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("\tby hand\t1 key, 1 value since snapshot 1\n"), std::string::npos)
        << listed.out;
    const JobResult patch = run({"--export-changes"}, dir);
    EXPECT_EQ(patch.out,
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavendel]\r\n\"Runs\"=dword:00000001\r\n\r\n");

    const JobResult restored = run({"--restore", "1"}, dir);
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(test::fileContents(dir / "registry.reg"), demo);
    EXPECT_EQ(run({"--export-changes", "3"}, dir).out.find("[-HKEY_LOCAL_MACHINE\\Software\\Kavendel]"), 12u)
        << "the restore took a snapshot of what it replaced";
    const JobResult none = run({"--export-changes", "1"}, dir);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "kavendel: no changes since snapshot 1\n");
}

// On a copy of the demo machine, whose Startup folder git does not keep, being empty.
TEST(MachineJobs, TheHandOverToWindowsIsTakenBackByARestore) {
    const fs::path dir = fs::path(testing::TempDir()) / "jobs-hand-over";
    fs::remove_all(dir);
    fs::copy(KAVENDEL_DEMO_MACHINE, dir, fs::copy_options::recursive);
    ASSERT_EQ(lastLine(run({"--snapshot"}, dir).out), "1");
    {
        auto store = RegistryFileStore::open(dir / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software\\Kavendel");
        reg.StoreNumber("Runs", 1);
    }
    const JobResult staged = run({"--export-changes", "--apply-at-next-start"}, dir);
    ASSERT_EQ(staged.status, 0) << staged.err;
    const fs::path patch = dir / "drive_c/KAVENDEL/CHANGES.REG",
                   batch = dir / "drive_c/Windows/ｽﾀｰﾄ ﾒﾆｭｰ/ﾌﾟﾛｸﾞﾗﾑ/ｽﾀｰﾄｱｯﾌﾟ/KAVENDEL.BAT";
    EXPECT_EQ(test::fileContents(patch), staged.out);
    EXPECT_NE(staged.err.find("C:\\KAVENDEL\\CHANGES.REG, C:\\WINDOWS\\"), std::string::npos) << staged.err;
    EXPECT_TRUE(
        test::fileContents(batch).starts_with("@ECHO OFF\r\nREGEDIT /S C:\\KAVENDEL\\CHANGES.REG\r\n"));
    ASSERT_EQ(run({"--restore", "1"}, dir).status, 0);
    EXPECT_FALSE(fs::exists(patch));
    EXPECT_FALSE(fs::exists(batch));
    ASSERT_EQ(run({"--restore", "2"}, dir).status, 0) << "the restore can be undone, hand-over and all";
    EXPECT_TRUE(fs::exists(patch));
    EXPECT_TRUE(fs::exists(batch));
}

// A job fails with status 1 whatever is wrong with its files; a malformed id is the command
// line's to refuse (a missing file to import is refused before the job, by its checks too).
TEST(MachineJobs, BadInputIsRefusedAndChangesNothing) {
    const fs::path dir = fs::path(testing::TempDir()) / "jobs-bad";
    fs::remove_all(dir);
    const struct {
        QStringList arguments;
        int status;
        const char* message;
    } rows[] = {
        {{"--snapshot"}, 1, "is not a machine folder"},
        {{"--import", "/nonexistent/whole.reg"}, 1, "no such file"},
        {{"--import", "/nonexistent/SYSTEM.DAT", "/nonexistent/USER.DAT"}, 1, "SYSTEM.DAT"},
        {{"--import", KAVENDEL_DEMO_MACHINE "/registry.reg", "--drive-c", "/nonexistent"}, 1, "--drive-c"},
    };
    for (const auto& row : rows) {
        const JobResult result = run(row.arguments, dir);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(dir));
    }
    ASSERT_EQ(run({"--import", KAVENDEL_DEMO_MACHINE "/registry.reg"}, dir).status, 0);
    EXPECT_EQ(run({"--restore", "1"}, dir).status, 1);
    EXPECT_FALSE(fs::exists(dir / "snapshots" / "1")) << "nothing is changed";
    EXPECT_FALSE(parseCommandLine({"kavendel", "--restore", "x"}).error.isEmpty());
    EXPECT_NE(run({"--export-changes"}, dir).err.find("no snapshot"), std::string::npos);
}

// Changes made to a machine imported from real registry files are written into those files,
// named in either order: libcreg then reads them as the machine's registry, the originals are in
// the snapshot, a second run writes nothing, and a damaged file or a registry line the store
// cannot read fails the job with status 1, leaving the files as they were. Another computer's
// machine folder puts only its own changes into them.
TEST(MachineJobs, WriteHivesPutsTheMachinesChangesIntoItsFiles) {
    const fs::path top = fs::path(testing::TempDir()) / "jobs-hives", dir = top / "machine";
    fs::remove_all(top);
    fs::create_directories(top);
    const fs::path system = top / "SYSTEM.DAT", user = top / "USER.DAT";
    fs::copy_file(KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT", system);
    fs::copy_file(KAVENDEL_TEST_DATA "/hives/USER.DAT", user);
    const QString hives[] = {QString::fromStdString(system), QString::fromStdString(user)};
    ASSERT_EQ(run({"--import", hives[0], hives[1]}, dir).status, 0);
    {
        auto store = RegistryFileStore::open(dir / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software\\Kavendel\\\x83\x5c");
        reg.StoreNumber("Runs", 1);
        reg.StoreText("Name", std::string(3000, 'n'));
        reg.RemovePath("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
        reg.SelectRoot(RootKey::CurrentUser);
        reg.OpenPath("\\Control Panel\\Desktop");
        reg.StoreText("Wallpaper", "C:\\KAVENDEL.BMP");
    }
    const JobResult written = run({"--write-hives", hives[1], hives[0]}, dir);
    ASSERT_EQ(written.status, 0) << written.err;
    const RegistryDocument machine = RegistryDocument::fromBytes(test::fileContents(dir / "registry.reg"));
    const RegistryDocument files = RegistryDocument::fromBytes(exportHives(system, user));
    EXPECT_EQ(countDifferences(files.tree(), machine.tree()), DiffCount{});
    EXPECT_EQ(test::fileContents(dir / "snapshots/1/originals/SYSTEM.DAT"),
              test::fileContents(KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT"));
    const std::string now = test::fileContents(system), nowUser = test::fileContents(user);
    EXPECT_NE(run({"--write-hives", hives[0], hives[1]}, dir).out.find("nothing written"), std::string::npos);
    EXPECT_EQ(test::fileContents(system), now);
    EXPECT_NE(run({"--snapshots"}, dir).out.find("\n1\t"), std::string::npos);
    EXPECT_NE(run({"--snapshots"}, dir).out.find("by hand, with Windows' registry files\t"),
              std::string::npos);
    std::ofstream(user, std::ios::binary | std::ios::in) << "XXXX";
    const JobResult damaged = run({"--write-hives", hives[0], hives[1]}, dir);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("kavendel: " + user.string() + ": file header"), std::string::npos)
        << damaged.err;

    // A restore puts both files back, unless one changed since they were written.
    const JobResult refused = run({"--restore", "1"}, dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("so nothing was restored"), std::string::npos) << refused.err;
    EXPECT_EQ(test::fileContents(system), now);
    std::ofstream(user, std::ios::binary | std::ios::trunc) << nowUser;
    EXPECT_EQ(run({"--restore", "1"}, dir).status, 0);
    EXPECT_EQ(test::fileContents(system), test::fileContents(KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT"));
    EXPECT_EQ(test::fileContents(user), test::fileContents(KAVENDEL_TEST_DATA "/hives/USER.DAT"));

    // Another computer's machine folder puts only its own change into these files, and a line the
    // store cannot read stops a write-back before it writes anything.
    const RegistryDocument restored = RegistryDocument::fromBytes(exportHives(system, user));
    const fs::path other = top / "other";
    ASSERT_EQ(run({"--import", KAVENDEL_DEMO_MACHINE "/registry.reg"}, other).status, 0);
    {
        auto store = RegistryFileStore::open(other / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\Software");
        reg.StoreNumber("FromAnotherMachine", 1);
    }
    ASSERT_EQ(run({"--write-hives", hives[0], hives[1]}, other).status, 0);
    EXPECT_EQ(
        countDifferences(restored.tree(), RegistryDocument::fromBytes(exportHives(system, user)).tree()),
        (DiffCount{0, 1}));
    const std::string kept = test::fileContents(system);
    std::ofstream(dir / "registry.reg", std::ios::app) << "\"Odd\"=hex:0g\r\n";
    const JobResult unreadable = run({"--write-hives", hives[0], hives[1]}, dir);
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("(\"Odd\"=hex:0g) cannot be read"), std::string::npos) << unreadable.err;
    EXPECT_EQ(test::fileContents(system), kept);
}

// A file that libcreg reads but that breaks a rule is imported with a word on standard error,
// and a write into it is refused, leaving it as it was.
TEST(MachineJobs, ImportSaysWhichRuleAFileBreaksAndWritingIntoItRefuses) {
    const fs::path top = fs::path(testing::TempDir()) / "jobs-broken-hive", dir = top / "machine";
    fs::remove_all(top);
    fs::create_directories(top);
    const fs::path system = top / "SYSTEM.DAT", user = top / "USER.DAT";
    fs::copy_file(KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT", system);
    std::string bytes = test::fileContents(KAVENDEL_TEST_DATA "/hives/USER.DAT");
    const std::uint32_t root = le::get32(bytes, 32 + 8), firstKey = le::get32(bytes, 32 + root + 16);
    le::put32(bytes, 32 + firstKey, 1); // a key slot in use keeps 0 there
    std::ofstream(user, std::ios::binary) << bytes;
    const QString hives[] = {QString::fromStdString(system), QString::fromStdString(user)};
    const JobResult imported = run({"--import", hives[0], hives[1]}, dir);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.err.rfind("kavendel: " + user.string() + " breaks a rule", 0), 0u) << imported.err;
    EXPECT_NE(imported.err.find("will not write into it: key slot: The key slot in use at offset 0x"),
              std::string::npos)
        << imported.err;
    EXPECT_EQ(imported.err.find("SYSTEM.DAT"), std::string::npos) << imported.err;
    const JobResult written = run({"--write-hives", hives[0], hives[1]}, dir);
    EXPECT_EQ(written.status, 1);
    EXPECT_NE(written.err.find("USER.DAT: key slot"), std::string::npos) << written.err;
    EXPECT_EQ(test::fileContents(user), bytes);
}

} // namespace

namespace {

// Every file under dir with its bytes, and every folder, so that two calls tell whether anything
// at all was written, made or removed.
std::map<std::string, std::string> treeBytes(const fs::path& dir) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        tree[fs::relative(entry.path(), dir).string()] =
            entry.is_regular_file() ? test::fileContents(entry.path()) : std::string("/");
    return tree;
}

// A value the window's "Use AGP" box owns, and one no setting owns.
void changeMachine(const fs::path& dir) {
    auto store = RegistryFileStore::open(dir / "registry.reg");
    TSettingsAccessor reg(*store);
    reg.OpenPath("\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\atidxhal");
    reg.StoreText("UseAGP", "1");
    reg.OpenPath("\\Software\\Kavendel");
    reg.StoreNumber("Runs", 1);
}

} // namespace

// A machine imported from a small disk image and one from registry files, each changed after a
// snapshot: each job's --dry-run says the change and the files it would write, and leaves the
// image, the registry files and both machine folders byte for byte, lock files and all.
TEST(MachineJobs, DryRunSaysTheChangeAndWritesNothing) {
    TemporaryFolder top;
    test::Win98Image disk(top.path(), 16ull << 20, 16);
    disk.installWindows(KAVENDEL_TEST_DATA "/hives");
    const fs::path fromImage = top.path() / "image-machine", fromHives = top.path() / "hive-machine";
    const QString system = QString::fromStdString(top.path() / "SYSTEM.DAT"),
                  user = QString::fromStdString(top.path() / "USER.DAT");
    fs::copy_file(KAVENDEL_TEST_DATA "/hives/SYSTEM.DAT", system.toStdString());
    fs::copy_file(KAVENDEL_TEST_DATA "/hives/USER.DAT", user.toStdString());
    ASSERT_EQ(run({"--import-image", QString::fromStdString(disk.raw())}, fromImage).status, 0);
    ASSERT_EQ(run({"--import", system, user}, fromHives).status, 0);
    for (const fs::path& dir : {fromImage, fromHives}) {
        ASSERT_EQ(run({"--snapshot"}, dir).status, 0);
        changeMachine(dir);
    }
    const struct {
        QStringList arguments;
        fs::path machine;
        std::vector<std::string> said;
    } rows[] = {
        {{"--write-image", "-n"},
         fromImage,
         {"Radeon Engine › System › Use AGP: (none) → on\n",
          "SOFTWARE\\Kavendel \"Runs\": (none) → dword:00000001\n", "C:\\KAVENDEL\\CHANGES.REG: created (",
          "SYSTEM.DAT: replaced ("}},
        {{"--write-hives", system, user, "--dry-run"},
         fromHives,
         {"Use AGP: (none) → on\n", (top.path() / "SYSTEM.DAT").string() + ": replaced ("}},
        {{"--restore", "1", "-n"},
         fromImage,
         {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kavendel: key removed\n",
          (fromImage / "registry.reg").string() + ": replaced ("}},
        {{"--export-changes", "1", "--apply-at-next-start", "-n"},
         fromImage,
         {"Use AGP: (none) → on\n", "C:\\KAVENDEL\\CHANGES.REG: created ("}},
    };
    const auto before = treeBytes(top.path());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const JobResult result = run(row.arguments, row.machine);
        EXPECT_EQ(result.status, 0) << result.err;
        for (const std::string& said : row.said)
            EXPECT_NE(result.out.find(said), std::string::npos) << result.out;
        EXPECT_EQ(result.err, "kavendel: --dry-run: nothing was written\n");
        EXPECT_TRUE(treeBytes(top.path()) == before);
    }
}

// --info as text in the interface language and as JSON, for a machine made with --create, one
// imported from a registry export, and one from a disk image.
TEST(MachineJobs, InfoTellsWhatTheMachineFolderIs) {
    TemporaryFolder top;
    test::Win98Image disk(top.path(), 16ull << 20, 16);
    disk.installWindows(KAVENDEL_TEST_DATA "/hives");
    const fs::path created = top.path() / "created", exported = top.path() / "exported",
                   fromImage = top.path() / "image";
    fs::create_directories(created / "drive_c");
    std::ofstream(created / "registry.reg") << "REGEDIT4\r\n";
    ASSERT_EQ(run({"--import", KAVENDEL_DEMO_MACHINE "/registry.reg"}, exported).status, 0);
    ASSERT_EQ(run({"--import-image", QString::fromStdString(disk.raw())}, fromImage).status, 0);
    ASSERT_EQ(run({"--snapshot"}, fromImage).status, 0);
    changeMachine(fromImage);
    const struct {
        fs::path machine;
        const char* origin;
        bool hasImage;
        qint64 snapshots, unwritten; // unwritten -1: null, there being no baseline
        std::string line;            // of the text output
    } rows[] = {
        {created, "created", false, 0, -1, "Origin: made with --create\n"},
        {exported, "registry", false, 0, 0, "Changes not written back: 0\n"},
        {fromImage, "image", true, 1, 2, "Disk image: " + disk.raw().string() + " (raw, partition 1)\n"},
    };
    const ConsoleTexts english(Language::English);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.machine.string());
        std::ostringstream json, text, err;
        ASSERT_EQ(printMachineInfo(row.machine, true, Console(english, json, err)), 0) << err.str();
        ASSERT_EQ(printMachineInfo(row.machine, false, Console(english, text, err)), 0) << err.str();
        const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(json.str())).object();
        EXPECT_EQ(info["origin"].toString().toStdString(), row.origin);
        EXPECT_EQ(info["image"].isObject(), row.hasImage);
        EXPECT_EQ(info["snapshots"].toArray().size(), row.snapshots);
        EXPECT_EQ(info["unwritten-changes"].isNull() ? -1 : info["unwritten-changes"].toInteger(),
                  row.unwritten);
        EXPECT_NE(text.str().find(row.line), std::string::npos) << text.str();
    }
}
