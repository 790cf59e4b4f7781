#include "MachineFolder.h"

#include "AtomicFile.h"
#include "Cp932.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace fs = std::filesystem;

namespace kv {

namespace {

std::string asciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Windows path components, split at "\" (whole characters only) and "/".
std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t len = cp932::charLength(path, i);
        if (len == 1 && (path[i] == '\\' || path[i] == '/')) {
            parts.push_back(std::move(part));
            part.clear();
        } else {
            part.append(path.substr(i, len));
        }
        i += len;
    }
    parts.push_back(std::move(part));
    return parts;
}

// The existing entry of dir whose name matches name without regard to case, else name itself.
std::string matchEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec))
        return name;
    const std::string wanted = asciiLower(name);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (asciiLower(it->path().filename().string()) == wanted)
            return it->path().filename().string();
    return name;
}

bool isInside(const fs::path& path, const fs::path& base) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(path, ec);
    const fs::path realBase = fs::weakly_canonical(base, ec);
    if (ec)
        return false;
    auto [baseEnd, pathIt] = std::mismatch(realBase.begin(), realBase.end(), real.begin(), real.end());
    return baseEnd == realBase.end();
}

} // namespace

MachineFolder::MachineFolder(fs::path dir)
    : m_dir(std::move(dir)) {}

std::optional<fs::path> MachineFolder::defaultLocation() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / "kavendel" / "machine";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return fs::path(home) / ".local" / "share" / "kavendel" / "machine";
    return std::nullopt;
}

void MachineFolder::ensureCreated() const {
    fs::create_directories(driveCIn(m_dir));
    // Never an empty file, which would read as no registry at all, even after a crash.
    createFileAtomically(registryFile(), {"REGEDIT4\r\n\r\n"}, 0644);
}

std::optional<fs::path> MachineFolder::resolve(std::string_view windowsPath) const {
    if (windowsPath.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::string_view rest = windowsPath;
    char drive = 'c';
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
        rest.remove_prefix(2);
    }
    // Only rooted paths name a place: "C:" alone, "C:X" and "X" depend on a current folder.
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/'))
        return std::nullopt;
    if (rest.size() >= 2 && (rest[1] == '\\' || rest[1] == '/'))
        return std::nullopt; // UNC
    const fs::path driveDir = m_dir / (std::string("drive_") + drive);
    std::vector<std::string> kept;
    for (const auto& part : components(rest.substr(1))) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (kept.empty())
                return std::nullopt;
            kept.pop_back();
            continue;
        }
        kept.push_back(cp932::toUtf8(part));
    }
    fs::path host = driveDir;
    for (const auto& part : kept)
        host /= matchEntry(host, part);
    if (!isInside(host, driveDir))
        return std::nullopt; // a link that leads out of the drive
    return host;
}

} // namespace kv
