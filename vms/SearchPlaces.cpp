// The search folders from the environment.
#include "SearchPlaces.h"

namespace kv::vms {

namespace fs = std::filesystem;

std::optional<SearchPlaces>
SearchPlaces::fromEnvironment(const std::function<std::string(const char* name)>& lookup) {
    const fs::path home = lookup("HOME");
    if (!home.is_absolute())
        return std::nullopt;
    const auto xdg = [&](const char* name, const fs::path& fallback) {
        const fs::path value = lookup(name);
        return value.is_absolute() ? value : fallback;
    };
    return SearchPlaces{home, xdg("XDG_CONFIG_HOME", home / ".config"),
                        xdg("XDG_DATA_HOME", home / ".local/share")};
}

} // namespace kv::vms
