// Thousands of random change sequences, on the real Windows Me files and on files built here.
// Each result must match a plain reference tree that got the same changes, pass the checker
// when written, and read back the same; a sample is also read by the two outside readers.
#include "Cp932.h"
#include "ExternalReaders.h"
#include "Hive.h"
#include "HiveChanges.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <random>

using namespace kv::hive;

namespace {

struct RefKey {
    std::string name;
    std::vector<Value> values;
    std::vector<RefKey> children;
};

RefKey refOf(const Hive& hive, Hive::Key key) {
    RefKey ref{hive.name(key), hive.values(key), {}};
    for (Hive::Key child : hive.children(key))
        ref.children.push_back(refOf(hive, child));
    return ref;
}

void linesOf(const RefKey& key, const std::string& path, std::vector<std::string>& out) {
    out.push_back("[" + path + "]");
    for (const Value& v : key.values)
        out.push_back(v.name + "=" + std::to_string(v.type) + ":" + v.data);
    static constexpr char Digits[] = "0123456789abcdef";
    for (const RefKey& child : key.children) {
        std::string hex;
        for (unsigned char c : child.name)
            hex += {Digits[c >> 4], Digits[c & 15]};
        linesOf(child, path.empty() ? hex : path + "\\" + hex, out);
    }
}

template <typename T> auto findNamed(std::vector<T>& items, std::string_view name) {
    return std::find_if(items.begin(), items.end(),
                        [&](const T& i) { return cp932::equalsIgnoreCase(i.name, name); });
}

// Names as a Japanese Windows holds them: ASCII in either case, long ones, and CP932 characters,
// some with "\" or an ASCII letter as their second byte.
const char* const Fragments[] = {"a",
                                 "B",
                                 "Key",
                                 "value",
                                 "x y",
                                 "7",
                                 "-",
                                 "\x83\x5c",
                                 "\x95\x5c",
                                 "\x94\x5c",
                                 "\x93\xfa\x96\x7b",
                                 "\x83\x41",
                                 "\x83\x61",
                                 "\x81\x5b",
                                 "\xb1",
                                 "\x82\x81"};

class Sequence {
public:
    Sequence(Hive& hive, RefKey& ref, std::mt19937& random)
        : m_hive(hive)
        , m_ref(ref)
        , m_random(random) {}

    void step() {
        std::vector<std::string> path;
        RefKey* key = pick(path);
        const unsigned kind = below(100);
        try {
            if (kind < 40)
                setValue(path, *key);
            else if (kind < 55)
                removeValue(path, *key);
            else if (kind < 85)
                addKeys(path, *key, below(10) == 0 ? 5 + below(40) : 1);
            else if (!path.empty() && (below(4) == 0 || key->children.empty()))
                removeKey(path);
        } catch (const kv::Failure&) {
            // Refused before anything changed: too large, or a name a sibling has already.
        }
    }

private:
    unsigned below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(m_random); }

    RefKey* pick(std::vector<std::string>& path) {
        RefKey* key = &m_ref;
        while (!key->children.empty() && below(10) < 7) {
            key = &key->children[below(static_cast<unsigned>(key->children.size()))];
            path.push_back(key->name);
        }
        return key;
    }

    std::string name() {
        std::string out;
        const unsigned parts = below(8) == 0 ? 40 + below(60) : 1 + below(4);
        while (out.size() < 255 && parts > out.size() / 2)
            out += Fragments[below(std::size(Fragments))];
        return out;
    }

    std::string data(std::size_t sameSize) {
        switch (below(5)) {
        case 0:
            return {};
        case 1:
            return std::string(sameSize, static_cast<char>(below(256)));
        case 2:
            return std::string(1000 + below(12000), static_cast<char>(below(256)));
        default: {
            std::string out(below(24), '\0');
            for (char& c : out)
                c = static_cast<char>(below(256));
            return out;
        }
        }
    }

    void setValue(const std::vector<std::string>& path, RefKey& key) {
        if (path.empty())
            return;
        const bool existing = !key.values.empty() && below(2);
        const std::string valueName = existing ? key.values[below(key.values.size())].name : name();
        const auto it = findNamed(key.values, valueName);
        const std::uint32_t type = std::array<std::uint32_t, 5>{1, 3, 4, 0, 0x80000001}[below(5)];
        const std::string bytes = data(it == key.values.end() ? 4 : it->data.size());
        m_hive.setValue(*findKey(m_hive, path), valueName, type, bytes);
        if (it == key.values.end())
            key.values.push_back({valueName, type, bytes});
        else
            it->type = type, it->data = bytes;
    }

    void removeValue(const std::vector<std::string>& path, RefKey& key) {
        if (path.empty())
            return;
        const std::string valueName =
            !key.values.empty() && below(4) ? key.values[below(key.values.size())].name : name();
        m_hive.removeValue(*findKey(m_hive, path), valueName);
        if (const auto it = findNamed(key.values, valueName); it != key.values.end())
            key.values.erase(it);
    }

    void addKeys(std::vector<std::string> path, RefKey& key, unsigned depth) {
        RefKey* parent = &key;
        for (unsigned i = 0; i < depth; ++i) {
            const std::string keyName = name();
            m_hive.addKey(*findKey(m_hive, path), keyName);
            parent->children.push_back({keyName, {}, {}});
            parent = &parent->children.back();
            path.push_back(keyName);
        }
    }

    void removeKey(const std::vector<std::string>& path) {
        m_hive.removeKey(*findKey(m_hive, path));
        RefKey* parent = &m_ref;
        for (std::size_t i = 0; i + 1 < path.size(); ++i)
            parent = &*findNamed(parent->children, path[i]);
        parent->children.erase(findNamed(parent->children, path.back()));
    }

    Hive& m_hive;
    RefKey& m_ref;
    std::mt19937& m_random;
};

struct Base {
    const char* what;
    Hive hive;
    unsigned sequences, sampled; // how many run, and how many of them the outside readers read
};

} // namespace

TEST(HiveRandomTest, ChangeSequencesKeepEveryRuleAndReadBackAsMade) {
    std::vector<Base> bases;
    bases.push_back({"SYSTEM.DAT", Hive::read(kv::test::readHiveFile("SYSTEM.DAT")), 150, 2});
    bases.push_back({"USER.DAT", Hive::read(kv::test::readHiveFile("USER.DAT")), 600, 12});
    bases.push_back({"an empty file", Hive::empty(), 1500, 60});
    bases.push_back({"an empty checksummed file", Hive::empty(true), 1500, 60});
    const bool readers = kv::test::haveCregexport() && kv::test::havePerlReader();
    const kv::TemporaryFolder folder;
    std::vector<Hive> sample;
    std::mt19937 random(20261208);
    unsigned total = 0;
    for (const Base& base : bases) {
        const RefKey start = refOf(base.hive, base.hive.root());
        for (unsigned n = 0; n < base.sequences; ++n, ++total) {
            Hive hive = base.hive;
            RefKey ref = start;
            Sequence sequence(hive, ref, random);
            for (unsigned steps = 1 + random() % 40; steps > 0; --steps)
                sequence.step();
            const Hive again = Hive::read(hive.write());
            std::vector<std::string> want;
            linesOf(ref, "", want);
            ASSERT_EQ(kv::test::treeLines(again), want) << base.what << ", sequence " << n;
            if (readers && n % (base.sequences / base.sampled) == 0)
                sample.push_back(again);
        }
    }
    std::cout << total << " change sequences, " << sample.size() << " of them read by both outside readers\n";
    if (!readers)
        GTEST_SKIP() << "cregexport or Parse::Win32Registry is not installed";
    std::vector<std::filesystem::path> files;
    std::vector<const Hive*> expected;
    for (const Hive& hive : sample) {
        files.push_back(folder.path() / ("random" + std::to_string(files.size()) + ".dat"));
        std::ofstream(files.back(), std::ios::binary) << hive.bytes();
        expected.push_back(&hive);
        EXPECT_EQ(kv::test::cregexportDifference(files.back(), hive), "") << files.back();
    }
    EXPECT_EQ(kv::test::perlDifferences(files, expected), std::vector<std::string>{});
}
