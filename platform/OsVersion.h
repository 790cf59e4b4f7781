// The operating system's version record, read from the machine's registry.
#pragma once

#include <optional>
#include <string_view>

namespace kv {

class SettingsStore;

struct OsVersion {
    enum Platform { Neither = 0, Windows9x = 1, WindowsNT = 2 };
    int platformId = Neither;
    int major = 0;
    int minor = 0;
};

class OsVersionQuery {
public:
    virtual ~OsVersionQuery() = default;
    // nullopt when the query fails.
    virtual std::optional<OsVersion> query() = 0;
};

// "VersionNumber" such as "4.10.2222" in HKLM "Software/Microsoft/Windows/CurrentVersion"
// makes a 95/98/Me machine; failing that, "CurrentVersion" such as "5.0" in the "Windows NT"
// key beside it makes an NT one; failing both, the query fails, as for a Windows that keeps its
// version where Kavendel does not look. No key is created.
class MachineOsVersion final : public OsVersionQuery {
public:
    explicit MachineOsVersion(SettingsStore& store)
        : m_store(store) {}
    std::optional<OsVersion> query() override;

private:
    SettingsStore& m_store;
};

// "4.10.2222" -> 4, 10; nullopt when the text does not start with "major.minor".
std::optional<OsVersion> parseVersionText(std::string_view text, int platformId);

} // namespace kv
