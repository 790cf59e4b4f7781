// The machine's Windows version, read from its registry and from nothing of the host.
#include "OsVersion.h"
#include "SettingsAccessor.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

TEST(MachineOsVersion, ComesFromTheRegistryOnly) {
    struct Row {
        const char* what;
        const char* versionNumber; // in the Windows key; nullptr: no value
        const char* ntVersion;     // in the Windows NT key; nullptr: no value
        std::optional<OsVersion> expected;
    };
    const Row rows[] = {
        {"Windows 98 SE", "4.10.2222", nullptr, OsVersion{OsVersion::Windows9x, 4, 10}},
        {"Windows 2000", nullptr, "5.0", OsVersion{OsVersion::WindowsNT, 5, 0}},
        {"an unreadable 9x number falls to NT", "four", "5.1", OsVersion{OsVersion::WindowsNT, 5, 1}},
        {"an empty machine is an unknown Windows", nullptr, nullptr, std::nullopt},
        {"unreadable numbers", "", "x.y", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryStore store;
        TSettingsAccessor reg(store);
        reg.SelectRoot(RootKey::LocalMachine);
        if (row.versionNumber && reg.OpenPath("\\Software\\Microsoft\\Windows\\CurrentVersion"))
            reg.StoreText("VersionNumber", row.versionNumber);
        if (row.ntVersion && reg.OpenPath("\\Software\\Microsoft\\Windows NT\\CurrentVersion"))
            reg.StoreText("CurrentVersion", row.ntVersion);
        const auto version = MachineOsVersion(store).query();
        ASSERT_EQ(version.has_value(), row.expected.has_value());
        if (version) {
            EXPECT_EQ(version->platformId, row.expected->platformId);
            EXPECT_EQ(version->major, row.expected->major);
            EXPECT_EQ(version->minor, row.expected->minor);
        }
    }
}

} // namespace
