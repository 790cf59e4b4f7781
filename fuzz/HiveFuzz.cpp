// Hostile Windows 98 registry files: reading one must end in a Failure or a model, never a
// crash; changes to a model that was read must be written without breaking a rule, and the
// written file must read again.
#include "Hive.h"

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using kv::hive::Hive;

// A few changes, chosen from the input's own bytes so that a run can be repeated.
void change(Hive& hive, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Hive::Key> keys{hive.root()};
    for (std::size_t i = 0; i < keys.size() && keys.size() < 64; ++i)
        for (Hive::Key child : hive.children(keys[i]))
            keys.push_back(child);
    for (int step = 0; step < 6; ++step) {
        const Hive::Key key = keys[random() % keys.size()];
        const std::string name(1 + random() % 6, static_cast<char>('a' + random() % 3));
        try {
            switch (random() % 5) {
            case 0:
                keys.push_back(hive.addKey(key, name));
                break;
            case 1:
                hive.setValue(key, name, random() % 5, std::string(random() % 5000, 'd'));
                break;
            case 2:
                hive.removeValue(key, name);
                break;
            case 3:
                if (key != hive.root()) {
                    hive.removeKey(key);
                    return; // its keys are gone; the handles gathered above no longer hold
                }
                break;
            default:
                if (!hive.values(key).empty())
                    hive.setValue(key, hive.values(key)[0].name, 1,
                                  std::string(hive.values(key)[0].data.size(), 's'));
            }
        } catch (const kv::Failure&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::uint32_t seed = static_cast<std::uint32_t>(size);
    for (std::size_t i = 0; i < size; i += 997)
        seed = seed * 31 + data[i];
    try {
        Hive hive = Hive::read(bytes);
        if (hive.write() != bytes)
            std::abort(); // a file read and written unchanged must come out as it came in
        change(hive, seed);
        Hive::read(hive.write());
    } catch (const kv::Failure&) {
    }
    return 0;
}
