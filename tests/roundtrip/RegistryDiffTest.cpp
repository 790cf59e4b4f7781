// The changes patch: regedit's reading of it on top of the older file must give the newer tree.
#include "RegistryDiff.h"
#include "FileContents.h"
#include "RegistryDocument.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;

namespace {

// Reads the patch after the older file, as importing it with regedit does.
RegistryDocument patched(std::string_view before, std::string_view patch) {
    const std::string body(patch.substr(patch.find('\n') + 1));
    return RegistryDocument::parse(std::string(before) + "\r\n" + body);
}

const std::string Header = "REGEDIT4\r\n\r\n";

struct PatchCase {
    const char* what;
    std::string before, after;
};

class PatchRows : public testing::TestWithParam<PatchCase> {};

TEST_P(PatchRows, ReadOnTopOfTheOlderFileGivesTheNewerTree) {
    const PatchCase& row = GetParam();
    const std::string patch = changesPatch(Header + row.before, Header + row.after);
    EXPECT_TRUE(patched(Header + row.before, patch).tree() ==
                RegistryDocument::parse(Header + row.after).tree())
        << patch;
    for (std::size_t p = patch.find('\n'); p != std::string::npos; p = patch.find('\n', p + 1))
        ASSERT_EQ(patch[p - 1], '\r') << "a line ends in a bare LF";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PatchRows,
    testing::Values(
        PatchCase{"kind changed", "[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"1\"\r\n",
                  "[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=dword:00000001\r\n"},
        PatchCase{"values removed", "[HKEY_LOCAL_MACHINE\\A]\r\n@=\"d\"\r\n\"v\"=hex:01\r\n\"w\"=\"x\"\r\n",
                  "[HKEY_LOCAL_MACHINE\\A]\r\n\"w\"=\"x\"\r\n"},
        PatchCase{"subtree removed",
                  "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n\"v\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\A\\D]\r\n",
                  "[HKEY_LOCAL_MACHINE\\A]\r\n"},
        PatchCase{"new nested keys", "", "[HKEY_USERS\\.DEFAULT\\X\\Y\\Z]\r\n\"v\"=\"1\"\r\n"},
        PatchCase{"0x5C trail bytes",
                  "[HKEY_LOCAL_MACHINE\\\x95\x5C\x8E\xA6]\r\n\"\x83\x5C\"=\"\x94\x5C\"\r\n",
                  "[HKEY_LOCAL_MACHINE\\\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67]\r\n\"\x83\x5C\"="
                  "\"a\\\\b\"\r\n"},
        PatchCase{"case of names does not matter", "[HKEY_LOCAL_MACHINE\\Key]\r\n\"Name\"=\"1\"\r\n",
                  "[hkey_local_machine\\KEY]\r\n\"NAME\"=\"1\"\r\n\"New\"=hex(7):61,00,00\r\n"},
        PatchCase{"a hive's keys all replaced",
                  "[HKEY_USERS\\.DEFAULT\\A]\r\n\"v\"=\"1\"\r\n[HKEY_USERS\\B]\r\n",
                  "[HKEY_USERS\\C]\r\n@=\"\"\r\n"}),
    [](const testing::TestParamInfo<PatchCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// New keys that hold no value (the driver's keys every start creates) are no change.
TEST(ChangesPatch, HoldsOnlyTheDifferencesByKeyInTheNewerFilesOrder) {
    const std::string before = Header + "[HKEY_LOCAL_MACHINE\\Z]\r\n\"same\"=\"1\"\r\n\"old\"=\"1\"\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Gone\\Sub]\r\n\"v\"=\"1\"\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\A]\r\n\"same\"=\"1\"\r\n";
    const std::string after = Header +
                              "[HKEY_LOCAL_MACHINE\\Z]\r\n\"same\"=\"1\"\r\n\"new\"=dword:0000002a\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\A]\r\n\"same\"=\"1\"\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\A\\Empty]\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\New\\Empty\\Deeper]\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\New\\Full]\r\n@=\"\"\r\n";
    EXPECT_EQ(changesPatch(before, after),
              "REGEDIT4\r\n"
              "\r\n[-HKEY_LOCAL_MACHINE\\Gone]\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Z]\r\n\"old\"=-\r\n\"new\"=dword:0000002a\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\New\\Full]\r\n@=\"\"\r\n"
              "\r\n");
    EXPECT_EQ(changesPatch(after, after), "REGEDIT4\r\n\r\n");
    const DiffCount count =
        countDifferences(RegistryDocument::parse(before).tree(), RegistryDocument::parse(after).tree());
    EXPECT_EQ(count, (DiffCount{4, 4})); // Gone, Gone\Sub, New, New\Full; old, new, v, @
}

TEST(ChangesPatch, CarriesTheStoresChangesToTheDemoMachine) {
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "diff-demo";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(KAVENDEL_DEMO_MACHINE "/registry.reg", dir / "registry.reg");
    const std::string before = test::fileContents(dir / "registry.reg");
    {
        auto store = RegistryFileStore::open(dir / "registry.reg");
        TSettingsAccessor reg(*store);
        reg.SelectRoot(RootKey::LocalMachine);
        reg.OpenPath("\\Software\\Microsoft\\Windows\\CurrentVersion");
        reg.StoreText("VersionNumber", "4.10.1998");
        reg.StoreNumber("Number", -2);
        reg.StoreBytes("Bytes", "\x00\xff\x5c", 3);
        reg.OpenPath("\\SOFTWARE\\\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67");
        reg.StoreText("\x94\x5C\x97\xCD", "\x83\x5C\\");
        reg.RemovePath("\\SOFTWARE\\ATI Technologies\\CDS");
        reg.SelectRoot(RootKey::CurrentUser);
        reg.OpenPath("\\Software\\Kavendel\\Named");
        reg.StoreText("", "");
    }
    const std::string after = test::fileContents(dir / "registry.reg");
    const std::string patch = changesPatch(before, after);
    EXPECT_TRUE(patched(before, patch).tree() == RegistryDocument::parse(after).tree()) << patch;
    EXPECT_NE(patch.find("[-HKEY_LOCAL_MACHINE\\Software\\ATI Technologies\\CDS]\r\n"), std::string::npos)
        << patch;
    EXPECT_EQ(patch.find("DriverDesc"), std::string::npos) << "unchanged values are left out";
}

struct MergeCase {
    const char* what;
    std::string base, machine, current, expected;
    std::vector<std::string> collisions; // "key" or "key:value"
};

class MergeRows : public testing::TestWithParam<MergeCase> {};

std::vector<std::string> collisionNames(const std::vector<Collision>& collisions) {
    std::vector<std::string> names;
    for (const Collision& c : collisions)
        names.push_back(joinPath(c.path) + (c.valueName ? ":" + *c.valueName : ""));
    return names;
}

TEST_P(MergeRows, PutsOnlyTheMachinesChangesOntoTheCurrentFiles) {
    const MergeCase& row = GetParam();
    const RegistryDocument base = RegistryDocument::parse(Header + row.base);
    const RegistryDocument machine = RegistryDocument::parse(Header + row.machine);
    const RegistryDocument current = RegistryDocument::parse(Header + row.current);
    const MergedPatch merged = mergeOnto(base.tree(), machine.tree(), current.tree());
    const std::string sections = patchSections(merged.steps);
    EXPECT_TRUE(RegistryDocument::parse(Header + row.current + sections).tree() ==
                RegistryDocument::parse(Header + row.expected).tree())
        << sections;
    EXPECT_EQ(collisionNames(merged.collisions), row.collisions);
}

const std::string Lm = "[HKEY_LOCAL_MACHINE\\A]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Merges, MergeRows,
    testing::Values(MergeCase{"both sides changed a value",
                              Lm + "\"v\"=\"1\"\r\n\"u\"=\"1\"\r\n",
                              Lm + "\"v\"=\"2\"\r\n\"u\"=\"1\"\r\n",
                              Lm + "\"v\"=\"3\"\r\n\"u\"=\"5\"\r\n\"w\"=\"9\"\r\n",
                              Lm + "\"v\"=\"2\"\r\n\"u\"=\"5\"\r\n\"w\"=\"9\"\r\n",
                              {"HKEY_LOCAL_MACHINE\\A:v"}},
                    MergeCase{"the machine removed a key that Windows changed",
                              Lm + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"1\"\r\n",
                              Lm,
                              Lm + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"2\"\r\n",
                              Lm,
                              {"HKEY_LOCAL_MACHINE\\A\\B"}},
                    MergeCase{"Windows removed a key that the machine changed",
                              Lm + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"1\"\r\n\"y\"=\"1\"\r\n",
                              Lm + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"2\"\r\n\"y\"=\"1\"\r\n",
                              Lm,
                              Lm + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"2\"\r\n",
                              {"HKEY_LOCAL_MACHINE\\A\\B:x"}},
                    MergeCase{"values added on both sides",
                              Lm,
                              Lm + "\"n\"=\"1\"\r\n\"same\"=dword:00000007\r\n",
                              Lm + "\"n\"=hex:02\r\n\"same\"=dword:00000007\r\n",
                              Lm + "\"n\"=\"1\"\r\n\"same\"=dword:00000007\r\n",
                              {"HKEY_LOCAL_MACHINE\\A:n"}},
                    MergeCase{"the machine removed a value, Windows added one",
                              Lm + "\"v\"=\"1\"\r\n\"w\"=\"1\"\r\n",
                              Lm + "\"v\"=\"1\"\r\n",
                              Lm + "\"v\"=\"1\"\r\n\"w\"=\"1\"\r\n\"x\"=\"3\"\r\n",
                              Lm + "\"v\"=\"1\"\r\n\"x\"=\"3\"\r\n",
                              {}},
                    MergeCase{
                        "names compare without regard to case",
                        "[HKEY_LOCAL_MACHINE\\Key]\r\n\"Name\"=\"1\"\r\n",
                        "[hkey_local_machine\\KEY]\r\n\"NAME\"=\"2\"\r\n",
                        "[HKEY_LOCAL_MACHINE\\key]\r\n\"name\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\Other]\r\n",
                        "[HKEY_LOCAL_MACHINE\\Key]\r\n\"Name\"=\"2\"\r\n[HKEY_LOCAL_MACHINE\\Other]\r\n",
                        {}},
                    // ヂ (0x83 0x61) and チ (0x83 0x60) are two keys; the trail byte 0x61 is no letter a.
                    MergeCase{"CP932 names",
                              "[HKEY_LOCAL_MACHINE\\\x95\x5C]\r\n\"\x94\x5C\"=\"1\"\r\n",
                              "[HKEY_LOCAL_MACHINE\\\x95\x5C]\r\n\"\x94\x5C\"=\"2\"\r\n[HKEY_LOCAL_"
                              "MACHINE\\\x83\x61]\r\n\"v\"=\"m\"\r\n",
                              "[HKEY_LOCAL_MACHINE\\\x95\x5C]\r\n\"\x94\x5C\"=\"1\"\r\n[HKEY_LOCAL_"
                              "MACHINE\\\x83\x41]\r\n\"v\"=\"w\"\r\n",
                              "[HKEY_LOCAL_MACHINE\\\x95\x5C]\r\n\"\x94\x5C\"=\"2\"\r\n[HKEY_LOCAL_"
                              "MACHINE\\\x83\x61]\r\n\"v\"=\"m\"\r\n"
                              "[HKEY_LOCAL_MACHINE\\\x83\x41]\r\n\"v\"=\"w\"\r\n",
                              {}},
                    MergeCase{"a key made empty is no change",
                              Lm,
                              Lm + "[HKEY_USERS\\.DEFAULT\\New]\r\n",
                              Lm + "\"w\"=\"1\"\r\n",
                              Lm + "\"w\"=\"1\"\r\n",
                              {}}),
    [](const testing::TestParamInfo<MergeCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

} // namespace
