// Texts of the round trip (import, snapshots, write-back) for the user, marked
// QT_TRANSLATE_NOOP("RoundTrip", ...) in Japanese and shown in the interface language.
#pragma once

#include "Message.h"

#include <string>
#include <utility>
#include <vector>

namespace kv {

inline Message roundTripText(const char* source, std::vector<std::string> args = {}) {
    return Message{{}, "RoundTrip", source, std::move(args)};
}

} // namespace kv
