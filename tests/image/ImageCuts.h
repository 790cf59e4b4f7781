// Power cuts during a write into an image: the file calls of a write recorded through the image
// code's seams, and every state of the image file and the journal's name that a cut at each point
// could leave. A test records a write, then checks each state after recovery has run on it.
#pragma once

#include "CutFile.h"
#include "ImageCalls.h"

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

struct RecordedCall {
    enum class Kind { Write, Sync, SyncFolder, Rename, Unlink };
    Kind kind;
    ino_t inode = 0;   // Write, Sync: the file; Rename: the file renamed
    off_t offset = 0;  // Write
    std::string bytes; // Write
};

// File calls that do their work and note it.
inline image::ImageCalls recordingCalls(std::vector<RecordedCall>& ops) {
    const auto statOf = [](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        return st;
    };
    image::ImageCalls calls;
    calls.files.write = [&ops, statOf](int fd, const char* data, std::size_t size) {
        ops.push_back({RecordedCall::Kind::Write, statOf(fd).st_ino, ::lseek(fd, 0, SEEK_CUR),
                       std::string(data, size)});
        return ::write(fd, data, size);
    };
    calls.files.fsync = [&ops, statOf](int fd) {
        const struct stat st = statOf(fd);
        ops.push_back({S_ISDIR(st.st_mode) ? RecordedCall::Kind::SyncFolder : RecordedCall::Kind::Sync,
                       st.st_ino,
                       0,
                       {}});
        return ::fsync(fd);
    };
    calls.files.rename = [&ops](const char* from, const char* to) {
        struct stat source {};
        ::stat(from, &source);
        ops.push_back({RecordedCall::Kind::Rename, source.st_ino, 0, {}});
        return ::rename(from, to);
    };
    calls.unlink = [&ops](const char* path) {
        ops.push_back({RecordedCall::Kind::Unlink, 0, 0, {}});
        return ::unlink(path);
    };
    return calls;
}

// The image file and the journal's name as the recorded calls left them: each file's durable
// bytes and its changes since its last fsync, and the file the journal's name holds durably and
// through the renames and unlinks since the folder's last fsync.
class CutDisk {
public:
    CutDisk(ino_t image, std::string bytes)
        : m_image(image) {
        m_files[image] = CutFile(std::move(bytes));
    }

    void play(const RecordedCall& op) {
        switch (op.kind) {
        case RecordedCall::Kind::Write:
            m_files[op.inode].change(op.offset, op.bytes);
            break;
        case RecordedCall::Kind::Sync:
            m_files[op.inode].sync();
            break;
        case RecordedCall::Kind::SyncFolder:
            if (!m_pendingNames.empty())
                m_durableJournal = m_pendingNames.back();
            m_pendingNames.clear();
            break;
        case RecordedCall::Kind::Rename:
            m_pendingNames.push_back(op.inode);
            break;
        case RecordedCall::Kind::Unlink:
            m_pendingNames.push_back(std::nullopt);
            break;
        }
    }

    // Calls check with every image and journal (when named) a cut now could leave.
    void eachCutState(
        const std::function<void(const std::string&, const std::optional<std::string>&)>& check) const {
        std::vector<std::optional<ino_t>> names{m_durableJournal};
        names.insert(names.end(), m_pendingNames.begin(), m_pendingNames.end());
        for (const auto& name : names)
            m_files.at(m_image).eachCutState([&](const std::string& image) {
                if (!name)
                    check(image, std::nullopt);
                else
                    m_files.at(*name).eachCutState(
                        [&](const std::string& journal) { check(image, journal); });
            });
    }

private:
    ino_t m_image;
    std::map<ino_t, CutFile> m_files;
    std::optional<ino_t> m_durableJournal;
    std::vector<std::optional<ino_t>> m_pendingNames;
};

} // namespace kv::test
