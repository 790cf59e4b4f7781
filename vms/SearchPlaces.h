// The user's folders where emulators keep their configuration, taken from XDG and HOME. Every
// folder the finders search comes from here, so that tests can point them at folders of their own.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kv::vms {

struct SearchPlaces {
    std::filesystem::path home;       // $HOME
    std::filesystem::path configHome; // $XDG_CONFIG_HOME, else ~/.config
    std::filesystem::path dataHome;   // $XDG_DATA_HOME, else ~/.local/share

    // From the environment; lookup gives a variable's value, empty when unset. nullopt when
    // HOME is not an absolute path. XDG variables that are not absolute are ignored, as the
    // XDG rules say.
    static std::optional<SearchPlaces>
    fromEnvironment(const std::function<std::string(const char* name)>& lookup);
};

} // namespace kv::vms
