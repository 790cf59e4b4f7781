// Small file helpers of the round trip: a whole file's bytes and its fingerprint, and the system
// errors of the standard library as the program's failures.
#pragma once

#include "Failure.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kv {

// What tells two versions of a file apart: its size and SHA-256.
struct Fingerprint {
    std::uint64_t size = 0;
    std::string sha256; // lower-case hex
    bool operator==(const Fingerprint&) const = default;

    // "SIZE:SHA256", as files that keep fingerprints write them.
    std::string text() const { return std::to_string(size) + ':' + sha256; }
};

Fingerprint fingerprintOf(std::string_view bytes);

// The file's bytes, or nullopt when there is no regular file there. Throws Failure when the
// file is there but cannot be read.
std::optional<std::string> readIfPresent(const std::filesystem::path& file);
// The same, and throws Failure when there is no regular file there either.
std::string readWhole(const std::filesystem::path& file);

// A system error as a failure: the path that a file system error names, or the words of the
// step, and the system's reason.
Failure systemFailure(const std::system_error& error);

// Runs action. Its failures, and the system errors it meets, come out as failures of step: the
// step's message first, then theirs, with the system's reason.
template <typename Action> auto failingAs(const Message& step, Action action) {
    try {
        return action();
    } catch (const Failure& e) {
        throw e.within(step);
    } catch (const std::system_error& e) {
        throw systemFailure(e).within(step);
    }
}

} // namespace kv
