// Snapshots, imports and the hand-over to Windows, on real folders.
#include "EnglishText.h"
#include "FileContents.h"
#include "HiveBuilder.h"
#include "HiveReader.h"
#include "MachineImport.h"
#include "RegistryDocument.h"
#include "Snapshots.h"
#include "StartupPatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

fs::path freshDir(const std::string& name) {
    const fs::path dir = fs::path(testing::TempDir()) / ("roundtrip-" + name);
    fs::remove_all(dir);
    return dir;
}

void write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The whole English text of the failure, as a terminal shows it.
template <typename Action> std::string errorOf(Action action) {
    try {
        action();
    } catch (const Failure& e) {
        return test::englishText(e);
    }
    return "";
}

TEST(Snapshots, RestoreGivesBackTheRegistryAndFilesByteForByte) {
    const fs::path dir = freshDir("restore");
    const std::string registry = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"\x83\x5C\"\r\n";
    write(dir / "registry.reg", registry);
    const fs::path ini = dir / "drive_c/Games/3dsetup.ini", created = dir / "drive_c/Games/new.ini";
    write(ini, "CARD_A\r\n");
    Snapshots snapshots(dir);
    const std::uint64_t id = snapshots.take({ini, created});

    write(dir / "registry.reg", "REGEDIT4\r\n\r\n");
    write(ini, "changed");
    write(created, "made after the snapshot");
    const std::uint64_t before = snapshots.restore(id);

    EXPECT_EQ(test::fileContents(dir / "registry.reg"), registry);
    EXPECT_EQ(test::fileContents(ini), "CARD_A\r\n");
    EXPECT_FALSE(fs::exists(created));
    EXPECT_EQ(snapshots.registry(before), "REGEDIT4\r\n\r\n") << "the restore can itself be undone";
    snapshots.restore(before);
    EXPECT_EQ(test::fileContents(ini), "changed");
    EXPECT_EQ(test::fileContents(created), "made after the snapshot");
}

// The store's writers lock a linked registry beside the file that the link leads to.
TEST(Snapshots, ARestoreLocksALinkedRegistryWhereTheStoreDoes) {
    const fs::path dir = freshDir("linked"), real = dir / "elsewhere/real.reg";
    write(real, "REGEDIT4\r\n\r\n");
    fs::create_directories(dir / "machine");
    fs::create_symlink(real, dir / "machine/registry.reg");
    Snapshots snapshots(dir / "machine");
    const std::uint64_t id = snapshots.take({});
    write(real, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n");
    snapshots.restore(id);
    EXPECT_EQ(test::fileContents(real), "REGEDIT4\r\n\r\n");
    EXPECT_TRUE(fs::exists(dir / "elsewhere/real.reg.lock"));
    EXPECT_FALSE(fs::exists(dir / "machine/registry.reg.lock"));
}

TEST(Snapshots, AFileIsRecordedAsItWasBeforeItsFirstChange) {
    const fs::path dir = freshDir("addfile");
    write(dir / "registry.reg", "REGEDIT4\r\n");
    const fs::path inf = dir / "drive_c/WINDOWS/INF/X.INF";
    write(inf, "first");
    Snapshots snapshots(dir);
    const std::uint64_t id = snapshots.take({});
    snapshots.addFile(id, inf);
    write(inf, "second");
    snapshots.addFile(id, inf); // already held: keeps the first state
    fs::remove(inf);
    snapshots.restore(id);
    EXPECT_EQ(test::fileContents(inf), "first");
    EXPECT_NE(errorOf([&] { snapshots.addFile(id, dir / "../outside"); }).find("not inside"),
              std::string::npos);
}

TEST(Snapshots, KeepsTheLastTwentyAndNamesPrunedAndUnknownIds) {
    const fs::path dir = freshDir("prune");
    write(dir / "registry.reg", "REGEDIT4\r\n");
    Snapshots snapshots(dir);
    const fs::path killed = snapshots.folder() / ".new-killed",
                   building = snapshots.folder() / ".new-building";
    fs::create_directories(killed);
    fs::create_directories(building);
    fs::last_write_time(killed, fs::file_time_type::clock::now() - std::chrono::hours(2));
    for (std::size_t i = 0; i < Snapshots::Kept + 2; ++i)
        snapshots.take({});
    EXPECT_FALSE(fs::exists(killed)) << "what a killed writer left is cleared";
    EXPECT_TRUE(fs::exists(building)) << "another writer's folder is left alone";
    fs::remove(building);
    const auto kept = snapshots.list();
    ASSERT_EQ(kept.size(), Snapshots::Kept);
    EXPECT_EQ(kept.front().id, 3u);
    EXPECT_EQ(snapshots.parseId("22"), 22u);
    EXPECT_NE(errorOf([&] { snapshots.parseId("2"); }).find("pruned"), std::string::npos);
    EXPECT_NE(errorOf([&] { snapshots.parseId("23"); }).find("no snapshot 23"), std::string::npos);
    EXPECT_NE(errorOf([&] { snapshots.parseId("x1"); }).find("not a snapshot id"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(snapshots.folder()), fs::directory_iterator()),
              static_cast<long>(Snapshots::Kept))
        << "no temporary folder is left behind";
}

TEST(Snapshots, AutomaticOnesArePrunedAmongThemselvesAndNeverPushOutOnesTakenByHand) {
    const fs::path dir = freshDir("kinds");
    write(dir / "registry.reg", "REGEDIT4\r\n");
    Snapshots snapshots(dir);
    const std::uint64_t byHand = snapshots.take({});
    for (std::size_t i = 0; i < Snapshots::Kept + 3; ++i)
        snapshots.take({}, SnapshotKind::Automatic);
    const auto kept = snapshots.list();
    ASSERT_EQ(kept.size(), Snapshots::Kept + 1);
    EXPECT_EQ(kept.front().id, byHand);
    EXPECT_EQ(kept.front().kind, SnapshotKind::ByHand);
    EXPECT_EQ(kept[1].id, byHand + 4);
    EXPECT_EQ(kept[1].kind, SnapshotKind::Automatic);
}

// A listing reads what was kept when each snapshot was taken; a snapshot from before that was
// kept has it counted once, and kept.
TEST(Snapshots, EachListsItsChangesSinceTheOneBefore) {
    const fs::path dir = freshDir("changes");
    write(dir / "registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"1\"\r\n");
    Snapshots snapshots(dir);
    snapshots.take({});
    write(dir / "registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"2\"\r\n\r\n[HKEY_LOCAL_"
                                "MACHINE\\B]\r\n@=\"\"\r\n");
    snapshots.take({});
    const fs::path manifest = snapshots.folder() / "2" / "snapshot.txt";
    const std::string taken = test::fileContents(manifest);
    const std::string old = taken.substr(0, taken.find('\n') + 1);
    for (const std::string& form : {taken, old}) {
        write(manifest, form);
        const auto listed = snapshots.listWithChanges();
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_EQ(listed[0].previous, 0u);
        EXPECT_EQ(listed[1].previous, 1u);
        ASSERT_TRUE(listed[1].changes);
        EXPECT_EQ(*listed[1].changes, (DiffCount{1, 2}));
        EXPECT_NE(test::fileContents(manifest).find("changes\t1\t1\t2\n"), std::string::npos);
    }
}

TEST(Import, KeepsTheExportByteForByteAndRefusesWhatIsNotRegedit4) {
    const fs::path dir = freshDir("import"), source = freshDir("import-src") / "whole.reg";
    const std::string exported = "REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT]\r\n\"\x95\x5C\"=\"1\"\r\n";
    write(source, exported);
    importRegistryExport(dir, source, std::nullopt);
    EXPECT_EQ(test::fileContents(dir / "registry.reg"), exported);
    EXPECT_TRUE(fs::is_directory(dir / "drive_c"));
    EXPECT_NE(errorOf([&] { importRegistryExport(dir, source, std::nullopt); }).find("not empty"),
              std::string::npos);

    const fs::path other = freshDir("import-refused");
    write(source, "Windows Registry Editor Version 5.00\r\n");
    EXPECT_NE(errorOf([&] { importRegistryExport(other, source, std::nullopt); }).find("whole.reg"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { importRegistryExport(other, source, other / "none"); }).find("--drive-c"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(other));
}

test::HiveKey systemHive() {
    using test::HiveKey;
    return HiveKey{"",
                   {},
                   {{"Software",
                     {{"Text", 1, std::string("abc\0", 4)},
                      {"", 1, "no NUL"},
                      {"Number", 4, std::string("\x2a\0\0\0", 4)}},
                     {{"\x95\x5C\x8E\xA6",
                       {{"\x83\x5C", 3, "\x01\xff"},
                        {"Expand", 2, std::string("%x%\0", 4)},
                        {"Multi", 7, std::string("a\0\0", 3)}},
                       {}},
                      {"Empty", {}, {}}}},
                    {"Config", {}, {}}}};
}

TEST(HiveImport, WritesWhatTheHivesHoldAsRegeditExportsIt) {
    const fs::path src = freshDir("hives");
    write(src / "SYSTEM.DAT", test::HiveBuilder::build(systemHive()));
    write(src / "USER.DAT",
          test::HiveBuilder::build({"", {}, {{".DEFAULT", {{"v", 1, std::string("1\0", 2)}}, {}}}}));
    EXPECT_EQ(exportHives(src / "SYSTEM.DAT", src / "USER.DAT"),
              "REGEDIT4\r\n\r\n"
              "[HKEY_LOCAL_MACHINE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n\"Text\"=\"abc\"\r\n@=\"no "
              "NUL\"\r\n\"Number\"=dword:0000002a\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\\x95\x5C\x8E\xA6]\r\n\"\x83\x5C\"=hex:01,ff\r\n"
              "\"Expand\"=hex(2):25,78,25,00\r\n\"Multi\"=hex(7):61,00,00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Empty]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Config]\r\n\r\n"
              "[HKEY_USERS]\r\n\r\n"
              "[HKEY_USERS\\.DEFAULT]\r\n\"v\"=\"1\"\r\n\r\n");

    const fs::path dir = freshDir("hive-machine"), realC = src / "c";
    fs::create_directories(realC);
    EXPECT_TRUE(importHives(dir, src / "SYSTEM.DAT", src / "USER.DAT", realC).empty()) << "no rule broken";
    EXPECT_EQ(fs::read_symlink(dir / "drive_c"), fs::absolute(realC));
    EXPECT_TRUE(RegistryDocument::parse(test::fileContents(dir / "registry.reg")).malformedLines().empty());
}

TEST(HiveImport, RefusesTruncatedFilesAndOtherFilesAndCreatesNothing) {
    const fs::path src = freshDir("bad-hives"), dir = freshDir("bad-hive-machine");
    const std::string hive = test::HiveBuilder::build(systemHive());
    write(src / "USER.DAT", hive);
    const struct {
        std::string bytes, expected;
    } rows[] = {
        {hive.substr(0, hive.size() / 2), "SYSTEM.DAT"},
        {hive.substr(0, 40), "SYSTEM.DAT"},
        {"REGEDIT4\r\n", "not a Windows 95/98/Me registry file"},
    };
    for (const auto& row : rows) {
        write(src / "SYSTEM.DAT", row.bytes);
        EXPECT_NE(errorOf([&] {
                      static_cast<void>(importHives(dir, src / "SYSTEM.DAT", src / "USER.DAT", std::nullopt));
                  }).find(row.expected),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(dir));
    }
}

TEST(HiveImport, TellsTheFilesApartByWhatTheyHold) {
    const fs::path src = freshDir("hive-kinds");
    write(src / "a", test::HiveBuilder::build(systemHive()));
    write(src / "b", test::HiveBuilder::build({"", {}, {{".Default", {}, {}}, {"S-1", {}, {}}}}));
    const std::string expected = exportHives(src / "a", src / "b");
    EXPECT_EQ(expected.find("HKEY_LOCAL_MACHINE\\.Default"), std::string::npos);
    const struct {
        const char *first, *second, *error;
    } rows[] = {
        {"b", "a", ""},
        {"a", "a", "both system files"},
        {"b", "b", "both user files"},
    };
    for (const auto& row : rows) {
        std::string got;
        const std::string error = errorOf([&] { got = exportHives(src / row.first, src / row.second); });
        EXPECT_NE(error.find(row.error), std::string::npos) << row.first << row.second << ": " << error;
        if (!*row.error) {
            EXPECT_EQ(got, expected);
        }
    }
}

// A chain of keys `levels` deep under the root.
test::HiveKey chain(int levels) {
    test::HiveKey root{"", {}, {}};
    test::HiveKey* last = &root;
    for (int i = 0; i < levels; ++i)
        last = &last->children.emplace_back(test::HiveKey{"k", {}, {}});
    return root;
}

TEST(HiveImport, RefusesADamagedKeyTreeAtOnce) {
    const fs::path src = freshDir("hive-trees");
    using test::HiveBuilder;
    write(src / "USER.DAT", HiveBuilder::build({"", {}, {{".DEFAULT", {}, {}}}}));
    // Keys 0 to 3: the root, a, c under a, and b; then c is made a's parent or b's key too.
    std::string loop = HiveBuilder::build({"", {}, {{"a", {}, {{"c", {}, {}}}}, {"b", {}, {}}}});
    std::string shared = loop, siblings = loop, outside = loop;
    HiveBuilder::setLink(loop, 2, HiveBuilder::FirstChild, 1);
    HiveBuilder::setLink(shared, 3, HiveBuilder::FirstChild, 2);
    HiveBuilder::setLink(siblings, 3, HiveBuilder::Next, 1);
    HiveBuilder::setLink(outside, 3, HiveBuilder::FirstChild, 1000);
    // Forty keys that all name the one key holding 48 KB (three values within Windows' limit of
    // 16,300 bytes each), for a 6 MB export.
    const std::string third(16000, 'x');
    test::HiveKey wide{"", {}, {{"big", {{"", 3, third}, {"2", 3, third}, {"3", 3, third}}, {}}}};
    for (int key = 1; key <= 40; ++key)
        wide.children.push_back(test::HiveKey{"k" + std::to_string(key), {}, {}});
    std::string repeated = HiveBuilder::build(wide);
    for (std::uint32_t key = 2; key <= 41; ++key)
        HiveBuilder::shareName(repeated, key, 1);
    // Names the writer refuses come only from damage: a file with a placeholder name of the same
    // length (a key's, or a value's), its bytes replaced; an empty key name by its size.
    const std::string named =
        HiveBuilder::build({"", {}, {{"KeyPlaceholder16", {{"ValueSpot", 1, std::string("1\0", 2)}}, {}}}});
    const auto renamed = [&](std::string_view placeholder, std::string_view bytes) {
        std::string file = named;
        const std::size_t at = file.rfind(placeholder); // a record that grew left its first copy free
        if (bytes.empty())
            file[at - 8] = file[at - 7] = '\0'; // the key record's name size
        else
            file.replace(at, placeholder.size(), bytes);
        return file;
    };
    const struct {
        const char* what;
        std::string hive, error;
    } rows[] = {
        {"512 levels", HiveBuilder::build(chain(512)), ""},
        {"513 levels", HiveBuilder::build(chain(513)), "deeper than 512 levels"},
        {"a key inside itself", loop, "its keys loop"},
        {"a key under two", shared, "its keys loop"},
        {"keys beside each other in a ring", siblings, "its keys loop"},
        {"a key past the record's end", outside, "outside the key record"},
        {"the same data again and again", repeated, "again and again"},
        {"a key with no name", renamed("KeyPlaceholder16", ""), "cannot read a name"},
        {"a name that makes a second line", renamed("KeyPlaceholder16", "a]\r\n[HKEY_USERS\\"),
         "a name no key can have"},
        {"a value name that makes a second line", renamed("ValueSpot", "a\r\n\"b\"\r\n\""),
         "a name no value can have"},
        {"a name ending halfway through a character", renamed("KeyPlaceholder16", "KeyPlaceholder1\x83"),
         "a name no key can have"},
    };
    for (const auto& row : rows) {
        write(src / "SYSTEM.DAT", row.hive);
        const std::string error = errorOf([&] { exportHives(src / "SYSTEM.DAT", src / "USER.DAT"); });
        EXPECT_NE(error.find(row.error), std::string::npos) << row.what << ": " << error;
        EXPECT_EQ(error.empty(), row.error.empty()) << row.what << ": " << error;
    }
}

TEST(StartupPatch, PutsThePatchAndABatchFileThatImportsItOnce) {
    const fs::path drive = freshDir("startup");
    const std::string startup =
        "C:\\WINDOWS\\\xBD\xC0\xB0\xC4 \xD2\xC6\xAD\xB0\\\xBD\xC0\xB0\xC4\xB1\xAF\xCC\xDF";
    const auto resolve = [&](std::string_view path) -> std::optional<fs::path> {
        std::string relative(path.substr(3));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return drive / relative;
    };
    const auto tree = [&](const std::string& value) {
        return RegistryDocument::parse("REGEDIT4\r\n[HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Windows\\"
                                       "CurrentVersion\\Explorer\\Shell Folders]\r\n\"Startup\"=\"" +
                                       value + "\"\r\n");
    };
    const std::string patch = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\r\n";
    EXPECT_NE(
        errorOf([&] { stagePatchForNextStart(tree(startup).tree(), resolve, patch); }).find("Startup folder"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(drive / "KAVENDEL")) << "nothing is written when the batch has nowhere to go";

    // A missing Startup folder is made, as Windows makes it, on a drive that holds C:\WINDOWS.
    fs::create_directories(drive / "WINDOWS");
    std::vector<fs::path> recorded;
    stagePatchForNextStart(tree(startup).tree(), resolve, patch, [&](const fs::path& file) {
        EXPECT_FALSE(fs::exists(file)) << "each file is shown before it is written";
        recorded.push_back(file);
    });
    EXPECT_EQ(recorded,
              (std::vector<fs::path>{drive / "KAVENDEL/CHANGES.REG", *resolve(startup) / "KAVENDEL.BAT"}));
    EXPECT_EQ(test::fileContents(drive / "KAVENDEL/CHANGES.REG"), patch);
    // No line break after the last line: the interpreter then ends the batch as it reads that
    // line, and never looks for the deleted file again.
    EXPECT_EQ(test::fileContents(*resolve(startup) / "KAVENDEL.BAT"),
              "@ECHO OFF\r\nREGEDIT /S C:\\KAVENDEL\\CHANGES.REG\r\nDEL \"" + startup + "\\KAVENDEL.BAT\"");
    EXPECT_NE(errorOf([&] { stagePatchForNextStart(tree("").tree(), resolve, patch); }).find("does not name"),
              std::string::npos);
}

} // namespace
