// What a power cut can leave of registry.reg. Every write, fsync, truncation and rename of a
// run of stores is recorded through the store's file calls; then every state the disk could
// hold after a cut at each point is rebuilt (data not yet fsynced dropped or kept, a rename
// not yet made durable by the folder's fsync made or not) and read back. Each must read as
// the file after the last store that returned, or after the one in progress.
#include "CutFile.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct Op {
    enum class Kind { Write, Sync, SyncFolder, Truncate, Rename, Returned };
    Kind kind;
    ino_t inode = 0;    // Write, Sync, Truncate: the file; Rename: the file renamed
    off_t offset = 0;   // Write: where; Truncate: the new length
    std::string bytes;  // Write
    ino_t replaced = 0; // Rename: the file the name held before, 0 for none
};

// File calls that do their work and note it.
FileCalls recordingCalls(std::vector<Op>& ops) {
    const auto inodeOf = [](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        return st;
    };
    FileCalls calls;
    calls.write = [&ops, inodeOf](int fd, const char* data, std::size_t size) {
        ops.push_back(
            {Op::Kind::Write, inodeOf(fd).st_ino, ::lseek(fd, 0, SEEK_CUR), std::string(data, size), 0});
        return ::write(fd, data, size);
    };
    calls.fsync = [&ops, inodeOf](int fd) {
        const struct stat st = inodeOf(fd);
        ops.push_back({S_ISDIR(st.st_mode) ? Op::Kind::SyncFolder : Op::Kind::Sync, st.st_ino, 0, {}, 0});
        return ::fsync(fd);
    };
    calls.truncate = [&ops, inodeOf](int fd, off_t length) {
        ops.push_back({Op::Kind::Truncate, inodeOf(fd).st_ino, length, {}, 0});
        return ::ftruncate(fd, length);
    };
    calls.rename = [&ops](const char* from, const char* to) {
        struct stat source {
        }, target{};
        ::stat(from, &source);
        const bool existed = ::stat(to, &target) == 0;
        ops.push_back({Op::Kind::Rename, source.st_ino, 0, {}, existed ? target.st_ino : 0});
        return ::rename(from, to);
    };
    return calls;
}

// The disk as the recorded calls left it: each file's durable bytes and the changes made to it
// since its last fsync, and which file the name holds durably and through later renames.
class Disk {
public:
    Disk(ino_t inode, std::string bytes) {
        const int file = fileOf(inode);
        m_files[file] = test::CutFile(std::move(bytes));
        m_durableName = file;
    }

    void play(const Op& op) {
        switch (op.kind) {
        case Op::Kind::Write:
        case Op::Kind::Truncate:
            m_files[fileOf(op.inode)].change(op.offset, op.bytes, op.kind == Op::Kind::Truncate);
            break;
        case Op::Kind::Sync:
            m_files[fileOf(op.inode)].sync();
            break;
        case Op::Kind::SyncFolder:
            if (!m_unsyncedRenames.empty())
                m_durableName = m_unsyncedRenames.back();
            m_unsyncedRenames.clear();
            break;
        case Op::Kind::Rename:
            m_unsyncedRenames.push_back(fileOf(op.inode));
            if (op.replaced)
                m_ids.erase(op.replaced); // its inode number may come back for a new file
            break;
        case Op::Kind::Returned:
            break;
        }
    }

    // Calls check with the bytes of every state a cut now could leave under the name.
    void eachCutState(const std::function<void(const std::string&)>& check) const {
        std::vector<int> names{m_durableName};
        names.insert(names.end(), m_unsyncedRenames.begin(), m_unsyncedRenames.end());
        for (int name : names)
            m_files.at(name).eachCutState(check);
    }

private:
    int fileOf(ino_t inode) {
        const auto [it, added] = m_ids.try_emplace(inode, static_cast<int>(m_files.size()));
        if (added)
            m_files.emplace(it->second, test::CutFile());
        return it->second;
    }

    std::map<ino_t, int> m_ids;
    std::map<int, test::CutFile> m_files;
    int m_durableName = 0;
    std::vector<int> m_unsyncedRenames;
};

std::string readAll(const fs::path& file) {
    std::ostringstream out;
    out << std::ifstream(file, std::ios::binary).rdbuf();
    return out.str();
}

TEST(PowerCut, RegistryFileReadsAsTheLastReturnedStoreOrTheOneInProgress) {
    const fs::path dir = fs::temp_directory_path() / ("kavendel-cut-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "registry.reg";
    // Ends in a hex list left open, so the first store writes the file whole.
    std::ofstream(file, std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"1\"\r\n"
           "\"H\"=hex:01,02,\\";
    struct stat st {};
    ::stat(file.c_str(), &st);
    std::vector<Op> ops;
    std::vector<std::string> returned{readAll(file)}; // the file after each step
    const FileCalls calls = recordingCalls(ops);
    auto store = RegistryFileStore::open(file, calls);
    // Another program's edit, through the same recorded calls, and durable.
    const auto otherProgram = [&](std::string_view added, off_t removed) {
        const int fd = ::open(file.c_str(), O_WRONLY);
        const off_t end = ::lseek(fd, 0, SEEK_END);
        calls.truncate(fd, end - removed);
        ::lseek(fd, 0, SEEK_END);
        calls.write(fd, added.data(), added.size());
        calls.fsync(fd);
        ::close(fd);
    };
    const std::vector<std::function<void(TSettingsAccessor&)>> steps = {
        [](TSettingsAccessor& reg) { reg.StoreText("B", "first"); },
        [](TSettingsAccessor& reg) { reg.StoreNumber("N", 7); },
        [](TSettingsAccessor& reg) { reg.StoreBytes("Bin", "\x01\x02\x03", 3); },
        [](TSettingsAccessor& reg) { reg.OpenPath("Sub\\Deeper"); },
        // A section saved with no final line end, as many editors save.
        [&](TSettingsAccessor&) {
            otherProgram("\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"u\"=\"1\"", 0);
        },
        [](TSettingsAccessor& reg) { reg.StoreText("C", std::string(300, 'c')); },
        // An editor that only removes the final line end of the change just appended.
        [&](TSettingsAccessor&) { otherProgram("", 2); },
        [](TSettingsAccessor& reg) { reg.RemovePath("\\SOFTWARE\\K\\Sub"); },
        [&](TSettingsAccessor&) { store->compact(); },
        [](TSettingsAccessor& reg) { reg.StoreNumber("N", 8); },
    };
    for (const auto& step : steps) {
        TSettingsAccessor reg(*store);
        reg.OpenPath("\\SOFTWARE\\K");
        step(reg);
        ops.push_back({Op::Kind::Returned, 0, 0, {}, 0});
        returned.push_back(readAll(file));
    }
    store.reset(); // folds the last store in
    ops.push_back({Op::Kind::Returned, 0, 0, {}, 0});
    returned.push_back(readAll(file));

    std::vector<RegistryDocument> afterStep;
    for (const auto& bytes : returned)
        afterStep.push_back(RegistryDocument::parse(bytes));
    Disk disk(st.st_ino, returned[0]);
    std::size_t states = 0, cuts = 0, done = 0;
    for (std::size_t next = 0;; ++next) {
        ++cuts;
        disk.eachCutState([&](const std::string& bytes) {
            ++states;
            try {
                const RegistryDocument read = RegistryDocument::parse(bytes);
                EXPECT_TRUE(read.malformedLines().empty()) << bytes;
                EXPECT_TRUE(read.tree() == afterStep[done].tree() ||
                            read.tree() == afterStep[done + 1].tree())
                    << "cut before call " << next << " during step " << done + 1 << ":\n"
                    << bytes;
            } catch (const Failure& e) {
                ADD_FAILURE() << "cut before call " << next << ": " << e.what();
            }
        });
        if (next == ops.size())
            break;
        disk.play(ops[next]);
        if (ops[next].kind == Op::Kind::Returned)
            ++done;
    }
    EXPECT_EQ(done, steps.size() + 1);
    // Both other programs' changes are kept.
    const RegKey* k = afterStep.back().tree().find({"HKEY_LOCAL_MACHINE", "SOFTWARE", "K"});
    const RegKey* other = afterStep.back().tree().find({"HKEY_LOCAL_MACHINE", "SOFTWARE", "Other"});
    ASSERT_TRUE(k && other);
    EXPECT_EQ(k->value("C") ? k->value("C")->data : "", std::string(300, 'c') + '\0');
    EXPECT_EQ(other->value("u") ? other->value("u")->data : "", std::string("1", 2));
    std::cout << "power cut: " << ops.size() - done << " calls recorded, " << cuts << " cut points, "
              << states << " disk states read back\n";
    fs::remove_all(dir);
}

} // namespace
