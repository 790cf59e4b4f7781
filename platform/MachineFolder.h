// The machine folder: the Windows computer Kavendel works on, off Windows.
//
//   DIR/registry.reg   the registry
//   DIR/drive_c/ ...   drive C:, and drive_d/ and so on for further drives
//   DIR/snapshots/     the snapshots taken of it
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace kv {

class MachineFolder {
public:
    explicit MachineFolder(std::filesystem::path dir);

    // $XDG_DATA_HOME/kavendel/machine, or ~/.local/share/kavendel/machine; nothing when neither
    // names an absolute folder, rather than a folder relative to wherever the program started.
    static std::optional<std::filesystem::path> defaultLocation();

    // Creates the folder with an empty registry and an empty drive C where they are missing.
    void ensureCreated() const;

    // The folder's layout, also for code that has only the folder's path.
    static constexpr std::string_view RegistryFileName = "registry.reg";
    static std::filesystem::path registryFileIn(const std::filesystem::path& dir) {
        return dir / RegistryFileName;
    }
    static std::filesystem::path driveCIn(const std::filesystem::path& dir) { return dir / "drive_c"; }
    static std::filesystem::path snapshotsIn(const std::filesystem::path& dir) { return dir / "snapshots"; }
    // The registry as last imported or written back into Windows: a write-back puts only what
    // changed since into Windows' files. It lies with the record of the disk image, where the
    // first machine folders that had one kept it.
    static std::filesystem::path baselineIn(const std::filesystem::path& dir) {
        return dir / "image" / RegistryFileName;
    }

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path registryFile() const { return registryFileIn(m_dir); }

    // Where a Windows path (CP932 bytes) lies in the machine folder: "C:\Program Files\X" is
    // DIR/drive_c/Program Files/X, and "\INF\X" is on drive C. Existing entries are matched
    // without regard to case. nullopt for a path that would leave its drive, a UNC path, a
    // relative path, or a drive letter with no folder.
    std::optional<std::filesystem::path> resolve(std::string_view windowsPath) const;

    // Everything that replaces or deletes a file of the machine calls beforeChange with the
    // path resolve() gave, just before the change; what it throws stops the change.
    using ChangeObserver = std::function<void(const std::filesystem::path& file)>;
    void setChangeObserver(ChangeObserver observer) { m_beforeChange = std::move(observer); }
    void beforeChange(const std::filesystem::path& file) const {
        if (m_beforeChange)
            m_beforeChange(file);
    }

private:
    std::filesystem::path m_dir;
    ChangeObserver m_beforeChange;
};

} // namespace kv
