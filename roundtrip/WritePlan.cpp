// The pieces of a plan that every kind of write shares.
#include "WritePlan.h"

#include <charconv>

namespace kv {

std::vector<PlannedValueChange> plannedValueChanges(const std::vector<PatchStep>& steps,
                                                    const RegKey& before) {
    std::vector<PlannedValueChange> planned;
    planned.reserve(steps.size());
    for (const PatchStep& step : steps) {
        const RegKey* key = before.find(step.path);
        const RegValue* old =
            key && step.kind != PatchStep::Kind::RemoveKey ? key->value(step.value.name) : nullptr;
        planned.push_back({step, old ? std::optional(*old) : std::nullopt});
    }
    return planned;
}

std::vector<PlannedValueChange> plannedDifferences(const RegKey& before, const RegKey& after) {
    return plannedValueChanges(mergeOnto(before, after, before).steps, before);
}

std::optional<std::uint64_t> sizeOfBytes(const std::optional<std::string>& bytes) {
    return bytes ? std::optional<std::uint64_t>(bytes->size()) : std::nullopt;
}

std::optional<std::uint64_t> sizeOfFingerprint(const std::string& text) {
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (text.empty() || error != std::errc())
        return std::nullopt;
    return size;
}

} // namespace kv
