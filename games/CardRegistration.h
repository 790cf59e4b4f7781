// Registers the Radeon in one of the publisher's card lists in the settings store, the
// second half of a game's rewrite.
#pragma once

namespace kv {

class TSettingsAccessor;
struct CardListRow;

enum class Registration {
    NoList,            // the list key does not exist: nothing is written and nothing is said
    AlreadyRegistered, // the last card entry is the Radeon already
    Added,             // a new last card entry now names the Radeon
};

// Works through reg, which is left on whatever key it opened last. Store errors propagate:
// "Cards" missing or not a number, or a store that fails.
Registration registerCard(TSettingsAccessor& reg, const CardListRow& list);

} // namespace kv
