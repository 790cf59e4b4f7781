// The registry file model: byte-identical rewrites, each kind of change, and the rules the
// checker enforces, on the real Windows Me files and on files built here.
#include "Hive.h"
#include "ExternalReaders.h"
#include "HiveChanges.h"
#include "HiveFormat.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kv::hive;

namespace {

std::string readFile(const std::string& name) {
    std::ifstream in(std::string(KAVENDEL_TEST_DATA) + "/hives/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every key path and value, in file order, as one comparable list.
std::vector<std::string> dump(const Hive& hive) {
    std::vector<std::string> out;
    std::vector<std::pair<Hive::Key, std::string>> stack{{hive.root(), ""}};
    while (!stack.empty()) {
        auto [key, path] = stack.back();
        stack.pop_back();
        out.push_back("[" + path + "]");
        for (const Value& v : hive.values(key))
            out.push_back(v.name + "=" + std::to_string(v.type) + ":" + v.data);
        const auto children = hive.children(key);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, path + "\\" + hive.name(*it));
    }
    return out;
}

std::size_t bytesChanged(const std::string& a, const std::string& b) {
    std::size_t n = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

} // namespace

TEST(HiveTest, RealFilesAndBuiltOnesAreWrittenBackByteForByte) {
    for (const std::string& bytes :
         {readFile("SYSTEM.DAT"), readFile("USER.DAT"), Hive::empty().write(), Hive::empty(true).write()}) {
        ASSERT_GT(bytes.size(), 64u);
        EXPECT_EQ(Hive::read(bytes).write(), bytes);
    }
}

namespace {

using Kind = Change::Kind;
const std::vector<std::string> Cv{"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"};
const std::vector<std::string> Ours{"Software", "Kavendel", "\x83\x5c\x95\x5c"}; // CP932 "ソ表"

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
    for (const std::string& bytes : {readFile("SYSTEM.DAT"), readFile("USER.DAT"), Hive::empty(true).write()})
        for (const ChangeRow& row : ChangeRows) {
            SCOPED_TRACE(row.what);
            Hive hive = Hive::read(bytes);
            applyChanges(hive, row.changes);
            expectRow(hive, row);
        }
}

TEST(HiveTest, SameSizeDataIsOverwrittenInPlace) {
    const std::string before = readFile("SYSTEM.DAT");
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
    } catch (const FormatError& e) {
        EXPECT_EQ(e.rule(), rule::Checksum);
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
    hives.push_back(Hive::read(readFile("SYSTEM.DAT")));
    hives.push_back(Hive::read(hives.back().bytes()));
    applyChanges(hives.back(), ChangeRows[1].changes);
    const std::string user = readFile("USER.DAT");
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
