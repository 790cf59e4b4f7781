// The registry file model: byte-identical rewrites, each kind of change, and the rules the
// checker enforces, on the real Windows Me files and on files built here.
#include "Hive.h"
#include "ExternalReaders.h"
#include "HiveChanges.h"
#include "HiveFormat.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace kv::hive;

namespace {

using kv::test::readHiveFile;
constexpr auto dump = kv::test::treeLines;

std::size_t bytesChanged(const std::string& a, const std::string& b) {
    std::size_t n = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

} // namespace

TEST(HiveTest, RealFilesAndBuiltOnesAreWrittenBackByteForByte) {
    for (const std::string& bytes : {readHiveFile("SYSTEM.DAT"), readHiveFile("USER.DAT"),
                                     Hive::empty().write(), Hive::empty(true).write()}) {
        ASSERT_GT(bytes.size(), 64u);
        EXPECT_EQ(Hive::read(bytes).write(), bytes);
    }
}

namespace {

using Kind = Change::Kind;
const std::vector<std::string> Cv{"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"};
const std::vector<std::string> Ours{"Software", "Kavendel", "\x83\x5c\x95\x5c"}; // CP932 "ソ表"

// Four hundred keys with a value each: more than a block's 255 ids and more than the free
// slots of any of the files.
std::vector<Change> manyKeys() {
    std::vector<Change> out;
    for (int i = 0; i < 400; ++i)
        out.push_back({Kind::SetValue,
                       {"Software", "Many", "k" + std::to_string(i)},
                       "v",
                       3,
                       std::string(i % 300, 'm')});
    return out;
}

struct ChangeRow {
    const char* what;
    std::vector<Change> changes;
    std::vector<std::string> path; // where to look afterwards
    std::string value;
    std::optional<std::string> data; // nullopt: the value, or with value "-" the key, is gone
};

const ChangeRow ChangeRows[] = {
    {"a new key with values",
     {{Kind::SetValue, Ours, "a", 1, "text"}, {Kind::SetValue, Ours, "", 3, ""}},
     Ours,
     "a",
     "text"},
    {"a value made larger moves its record",
     {{Kind::SetValue, Ours, "a", 1, "x"},
      {Kind::SetValue, Ours, "b", 3, std::string(3000, 'b')},
      {Kind::SetValue, Ours, "a", 1, std::string(5000, 'a')}},
     Ours,
     "a",
     std::string(5000, 'a')},
    {"a value made smaller",
     {{Kind::SetValue, Ours, "a", 1, "long text"}, {Kind::SetValue, Ours, "A", 4, "1234"}},
     Ours,
     "a",
     "1234"},
    {"a removed value",
     {{Kind::SetValue, Ours, "a", 1, "x"}, {Kind::RemoveValue, Ours, "A", 0, ""}},
     Ours,
     "a",
     std::nullopt},
    {"a removed key and its sub-keys",
     {{Kind::SetValue, Ours, "a", 1, "x"},
      {Kind::AddKey, {"Software", "Kavendel", "Other"}, "", 0, ""},
      {Kind::RemoveKey, {"software", "kavendel"}, "", 0, ""}},
     {"Software", "Kavendel"},
     "-",
     std::nullopt},
    {"many keys", manyKeys(), {"Software", "Many", "k399"}, "v", std::string(99, 'm')},
    {"a key at the root", {{Kind::AddKey, {"Top"}, "", 0, ""}}, {"Top"}, "-", ""},
};

// The file written and read again says what the model says, and the row's value is as expected.
void expectRow(const Hive& hive, const ChangeRow& row) {
    const Hive again = Hive::read(hive.write());
    EXPECT_EQ(dump(again), dump(hive));
    const auto key = findKey(again, row.path);
    if (row.value == "-") {
        EXPECT_EQ(key.has_value(), row.data.has_value());
        return;
    }
    ASSERT_TRUE(key);
    std::optional<std::string> found;
    for (const Value& v : again.values(*key))
        if (v.name == row.value || (v.name == "A" && row.value == "a"))
            found = v.data;
    EXPECT_EQ(found, row.data);
}

} // namespace

TEST(HiveTest, EachKindOfChangeReadsBackAsMade) {
    for (const std::string& bytes :
         {readHiveFile("SYSTEM.DAT"), readHiveFile("USER.DAT"), Hive::empty(true).write()})
        for (const ChangeRow& row : ChangeRows) {
            SCOPED_TRACE(row.what);
            Hive hive = Hive::read(bytes);
            applyChanges(hive, row.changes);
            expectRow(hive, row);
        }
}

TEST(HiveTest, SameSizeDataIsOverwrittenInPlace) {
    const std::string before = readHiveFile("SYSTEM.DAT");
    Hive hive = Hive::read(before);
    const Hive::Key key = *findKey(hive, Cv);
    const Value old = hive.values(key).at(0);
    hive.setValue(key, old.name, old.type, std::string(old.data.size(), 'Z'));
    const std::string after = hive.write();
    EXPECT_EQ(after.size(), before.size());
    EXPECT_LE(bytesChanged(before, after), old.data.size());
    EXPECT_EQ(hive.values(key).at(0).data, std::string(old.data.size(), 'Z'));
}

TEST(HiveTest, ChecksumsMarkedValidAreKeptValid) {
    Hive hive = Hive::empty(true);
    applyChanges(hive, {{Kind::SetValue, Ours, "a", 1, "x"}});
    std::string bytes = hive.write();
    EXPECT_NO_THROW(Hive::read(bytes));
    bytes[HeaderSize + 2 * Page + 40] ^= 1; // a byte of the data block
    try {
        Hive::read(bytes);
        ADD_FAILURE() << "a wrong checksum was accepted";
    } catch (const kv::Failure& e) {
        EXPECT_EQ(e.message().text(), rule::Checksum);
    }
}

// Both readers we did not write read every changed file, and the real ones, exactly as the
// model holds them.
TEST(HiveTest, TheTwoReadersReadEachChangeAsMade) {
    if (!kv::test::haveCregexport() || !kv::test::havePerlReader())
        GTEST_SKIP() << "cregexport or Parse::Win32Registry is not installed";
    const kv::test::TemporaryFolder folder;
    std::vector<Hive> hives;
    std::vector<std::filesystem::path> files;
    // SYSTEM.DAT takes cregexport a second: it is read unchanged and with its record moved.
    hives.push_back(Hive::read(readHiveFile("SYSTEM.DAT")));
    hives.push_back(Hive::read(hives.back().bytes()));
    applyChanges(hives.back(), ChangeRows[1].changes);
    const std::string user = readHiveFile("USER.DAT");
    hives.push_back(Hive::read(user));
    for (const ChangeRow& row : ChangeRows) {
        hives.push_back(Hive::read(user));
        applyChanges(hives.back(), row.changes);
    }
    std::vector<const Hive*> expected;
    for (const Hive& hive : hives) {
        files.push_back(folder.path() / ("hive" + std::to_string(files.size()) + ".dat"));
        std::ofstream(files.back(), std::ios::binary) << hive.write();
        expected.push_back(&hive);
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(kv::test::cregexportDifference(files[i], hives[i]), "") << i;
    EXPECT_EQ(kv::test::perlDifferences(files, expected), std::vector<std::string>{});
}

// Each rule of the checker, broken on purpose in a file built here: reading it fails, and the
// error names the rule.
TEST(HiveTest, BrokenFilesAreRefusedNamingTheRule) {
    Hive hive = Hive::empty();
    const std::vector<std::string> key{"Software", "Kavendel"};
    applyChanges(hive, {{Kind::SetValue, key, "v", 1, "text"},
                        {Kind::SetValue, key, "w", 3, std::string(MaxDataSize, 'w')},
                        {Kind::SetValue, key, "x", 3, std::string(100, 'x')}});
    const std::string good = hive.write();
    const std::size_t slot = HeaderSize + hive.children(hive.root()).at(0), block = HeaderSize + 2 * Page;
    const std::size_t record = block + HeaderSize;
    // Kavendel's record, found by its id, and its value w, after v.
    const auto id = le::get16(good, HeaderSize + hive.children(hive.children(hive.root()).at(0)).at(0) + 24);
    std::size_t ours = record;
    while (le::get16(good, ours + 4) != id)
        ours += le::get32(good, ours);
    const std::size_t w = ours + RecordHeaderSize + 8 + ValueHeaderSize + 1 + 4;
    struct Row {
        const char* rule;
        std::function<void(std::string&)> breakIt;
    };
    const Row rows[] = {
        {rule::Header, [](std::string& b) { b[0] = 'X'; }},
        {rule::Header, [](std::string& b) { b += "more"; }},
        {rule::Block, [](std::string& b) { b.resize(b.size() - 100); }},
        {rule::Block, [&](std::string& b) { le::put16(b, block + 14, 3); }},
        {rule::KeyArea, [](std::string& b) { le::put32(b, HeaderSize + 4, 0x100000); }},
        {rule::Hash, [&](std::string& b) { le::put32(b, slot + 4, le::get32(b, slot + 4) + 1); }},
        {rule::Ids, [&](std::string& b) { le::put16(b, slot + 24, 7); }},
        {rule::TreeLinks, [&](std::string& b) { le::put32(b, slot + 12, 0x1000); }},
        {rule::TreeLinks, [&](std::string& b) { le::put32(b, slot + 16, slot - HeaderSize); }},
        {rule::Record, [&](std::string& b) { le::put32(b, record + 8, le::get32(b, record + 8) + 1); }},
        {rule::Record, [&](std::string& b) { le::put32(b, record, 0x10000); }},
        {rule::FreeRecords, [&](std::string& b) { le::put32(b, block + 16, 0x24); }},
        {rule::FreeRecords, [&](std::string& b) { le::put32(b, block + 8, le::get32(b, block + 8) + 4); }},
        {rule::Ids, [&](std::string& b) { le::put16(b, block + 22, 5); }},
        {rule::FreeSlots, [](std::string& b) { le::put32(b, HeaderSize + 12, 0x20); }},
        {rule::FreeSlots, [](std::string& b) { le::put32(b, HeaderSize + 12, kv::hive::None32); }},
        // A value more than the record holds: the values that are there fill it exactly.
        {rule::Record, [&](std::string& b) { le::put16(b, ours + 14, 4); }},
        {rule::Slot, [&](std::string& b) { le::put32(b, slot, 1); }},
        // w takes x into its data, which grows past 16,300 bytes.
        {rule::Limits,
         [&](std::string& b) {
             le::put16(b, w + 10, MaxDataSize + ValueHeaderSize + 1 + 100);
             le::put16(b, ours + 14, 2);
         }},
    };
    for (const Row& row : rows) {
        std::string bytes = good;
        row.breakIt(bytes);
        try {
            Hive::read(bytes);
            ADD_FAILURE() << "a file breaking the rule \"" << row.rule << "\" was read";
        } catch (const kv::Failure& e) {
            EXPECT_EQ(e.message().text(), row.rule) << e.text();
            EXPECT_NE(e.text().find("0x"), std::string::npos) << "no offset in: " << e.text();
        }
    }
}

TEST(HiveTest, ManyKeysGrowTheKeyAreaAPageAtATimeAndAddBlocks) {
    Hive hive = Hive::empty();
    applyChanges(hive, manyKeys());
    const std::string bytes = hive.write();
    EXPECT_EQ(le::get32(bytes, HeaderSize + 4) % Page, 0u);
    EXPECT_GT(le::get32(bytes, HeaderSize + 4), 2 * Page);
    EXPECT_EQ(le::get32(bytes, 8), HeaderSize + le::get32(bytes, HeaderSize + 4));
    EXPECT_GE(le::get16(bytes, 16), 2);
}

// Windows 95/98/Me's limits: a change at a limit is made, one past it is refused before anything
// changes, naming the key and the value.
TEST(HiveTest, ChangesPastWindowsLimitsAreRefusedNamingKeyAndValue) {
    const std::string name255(MaxNameSize, 'n'), quarter(16000, 'q');
    const std::vector<std::string> key{"Software", "Kavendel"};
    const struct {
        std::vector<Change> atLimit;
        Change past;
        std::string named; // what the refusal names besides the key
    } rows[] = {
        {{{Kind::AddKey, {"Software", name255}, "", 0, ""}},
         {Kind::AddKey, {"Software", name255 + "n"}, "", 0, ""},
         name255},
        {{{Kind::SetValue, key, name255, 1, "x"}}, {Kind::SetValue, key, name255 + "n", 1, "x"}, name255},
        {{{Kind::SetValue, key, "big", 3, std::string(MaxDataSize, 'd')}},
         {Kind::SetValue, key, "big", 3, std::string(MaxDataSize + 1, 'd')},
         "\"big\""},
        {{{Kind::SetValue, key, "1", 3, quarter},
          {Kind::SetValue, key, "2", 3, quarter},
          {Kind::SetValue, key, "3", 3, quarter}},
         {Kind::SetValue, key, "4", 3, quarter},
         "\"4\""},
    };
    for (const auto& row : rows) {
        Hive hive = Hive::empty();
        applyChanges(hive, {{Kind::AddKey, key, "", 0, ""}});
        ASSERT_NO_THROW(applyChanges(hive, row.atLimit));
        const std::string before = hive.bytes();
        try {
            applyChanges(hive, {row.past});
            ADD_FAILURE() << "a change past a limit was made: " << row.named;
        } catch (const kv::Failure& e) {
            EXPECT_NE(e.text().find("Software"), std::string::npos) << e.text();
            EXPECT_NE(e.text().find(row.named), std::string::npos) << e.text();
        }
        EXPECT_EQ(hive.bytes(), before);
    }
}

// The hash of names whose double-byte characters have a trail byte below 0x80: such a trail
// byte counts as it is, never folded. A file that folded it or left it out is still read, and
// its key found by name.
TEST(HiveTest, DoubleByteNamesHashTheirTrailBytesUnfolded) {
    const struct {
        const char* name;
        std::uint32_t hash, folded, without;
    } rows[] = {
        {"\x83\x61", 0x61, 0x41, 0}, // ヂ
        {"\x83\x62", 0x62, 0x42, 0}, // ッ
        {"\x8a\x77", 0x77, 0x57, 0}, // 学
        {"\x83\x41", 0x41, 0x41, 0}, // ア
        {"a\x83\x61z", 0x41 + 0x61 + 0x5a, 0x41 + 0x41 + 0x5a, 0x41 + 0x5a},
        {"\x82\xe1\xb1", 0, 0, 0}, // ゃ and a half-width ｱ
        {"ab", 0x41 + 0x42, 0x41 + 0x42, 0x41 + 0x42},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(nameHash(row.name), row.hash) << row.name;
        for (std::uint32_t stored : {row.hash, row.folded, row.without})
            EXPECT_TRUE(hashFits(row.name, stored)) << row.name << " " << stored;
        EXPECT_FALSE(hashFits(row.name, row.hash + 1)) << row.name;
    }
    EXPECT_FALSE(hashFits("a", 0x61)) << "an ASCII name has one hash";
    Hive hive = Hive::empty();
    const Hive::Key key = hive.addKey(hive.root(), "\x83\x61");
    std::string bytes = hive.write();
    le::put32(bytes, HeaderSize + key + 4, 0x41);
    Hive folded = Hive::read(bytes);
    EXPECT_EQ(folded.child(folded.root(), "\x83\x61"), key);
    EXPECT_THROW(folded.addKey(folded.root(), "\x83\x61"), kv::Failure);
}
