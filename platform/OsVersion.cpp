#include "OsVersion.h"

#include "SettingsAccessor.h"

#include <charconv>

namespace kv {

std::optional<OsVersion> parseVersionText(std::string_view text, int platformId) {
    OsVersion version{platformId, 0, 0};
    const char* end = text.data() + text.size();
    auto [afterMajor, ec1] = std::from_chars(text.data(), end, version.major);
    if (ec1 != std::errc() || afterMajor == end || *afterMajor != '.')
        return std::nullopt;
    auto [afterMinor, ec2] = std::from_chars(afterMajor + 1, end, version.minor);
    if (ec2 != std::errc())
        return std::nullopt;
    return version;
}

namespace {

// The version text in a value of the machine's registry; a missing key or value, or one of
// another kind, gives nullopt.
std::optional<OsVersion> versionFromRegistry(SettingsStore& store, const char* path, const char* name,
                                             int platformId) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
        return std::nullopt;
    try {
        return parseVersionText(reg.LoadText(name), platformId);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<OsVersion> MachineOsVersion::query() {
    if (auto v = versionFromRegistry(m_store, "\\Software\\Microsoft\\Windows\\CurrentVersion",
                                     "VersionNumber", OsVersion::Windows9x))
        return v;
    if (auto v = versionFromRegistry(m_store, "\\Software\\Microsoft\\Windows NT\\CurrentVersion",
                                     "CurrentVersion", OsVersion::WindowsNT))
        return v;
    // Nothing of the host stands for the machine's Windows: a registry that names none is an
    // unknown Windows, whose version stays as unknown as a failed query leaves it.
    return std::nullopt;
}

} // namespace kv
