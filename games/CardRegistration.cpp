#include "CardRegistration.h"

#include "GameTable.h"
#include "SettingsAccessor.h"

#include <string>

namespace kv {

namespace {

constexpr std::string_view CardName = "ATI Radeon256";

std::string cardKey(std::string_view listKey, std::int32_t number) {
    return std::string(listKey) + "\\Card" + std::to_string(number);
}

} // namespace

Registration registerCard(TSettingsAccessor& reg, const CardListRow& list) {
    reg.SelectRoot(list.root);
    if (!reg.OpenPathForReading(list.listKey))
        return Registration::NoList;
    const std::int32_t last = reg.LoadNumber("Cards");
    reg.OpenPath(cardKey(list.altListKey, last));
    if (reg.LoadText("Name") == CardName)
        return Registration::AlreadyRegistered;

    reg.OpenPathForReading(list.listKey);
    // Wraps like the 32-bit counter it is, rather than overflowing.
    const auto number = static_cast<std::int32_t>(static_cast<std::uint32_t>(last) + 1u);
    const std::string numberName = std::to_string(number);
    reg.StoreNumber("Cards", number);
    if (list.numberInListKey)
        reg.StoreNumber(numberName, number);

    reg.OpenPath(cardKey(list.listKey, number));
    reg.StoreText("Group", "D3D");
    reg.StoreText("Module", list.module);
    reg.StoreText("Name", CardName);
    reg.StoreNumber("Types", 1);

    reg.OpenPath(cardKey(list.altListKey, number) + "\\Type1");
    for (int i = 0; i < list.deviceValueCount; ++i)
        reg.StoreNumber(list.deviceValues[static_cast<std::size_t>(i)].name,
                        list.deviceValues[static_cast<std::size_t>(i)].number);

    // The order key is not created. Storing without it open would put the order value into the
    // device key, which is still current, so it is written only where the key exists.
    if (reg.OpenPathForReading(std::string(list.listKey) + "\\Sort Order"))
        reg.StoreNumber(numberName, number);
    return Registration::Added;
}

} // namespace kv
