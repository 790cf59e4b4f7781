#include "AppendLog.h"

#include "FileDescriptor.h"
#include "FileFailure.h"
#include "RegistryFileStoreAppend.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

// Appended sections are folded back once they pass 64 KB or an eighth of the file, or 64
// sections or one per 4 KB of the file: each reader replays them as it loads, and a fold
// costs a write of the whole file.
constexpr std::size_t MinimumFoldBytes = 64u << 10;
constexpr std::size_t MinimumFoldSections = 64;
constexpr std::size_t FileBytesPerSection = 4u << 10;

// The last section of a text given in pieces, copying only what it spans: a piece may be a
// whole file's unchanged run.
std::string lastSectionOf(const std::vector<std::string_view>& pieces) {
    std::string tail;
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        const std::size_t inPiece = appended::lastSectionStart(*it);
        // After a line break within the piece, a "[" line surely starts the section.
        if (inPiece > 0 && inPiece < it->size() && (*it)[inPiece] == '[') {
            tail.insert(0, it->substr(inPiece));
            const std::size_t start = appended::lastSectionStart(tail);
            return start > 0 ? tail.substr(start) : tail;
        }
        tail.insert(0, *it);
        const std::size_t start = appended::lastSectionStart(tail);
        // At 0 the section may begin with blanks in the piece before.
        if (start > 0 && tail[start] == '[' && start < tail.size())
            return tail.substr(start);
    }
    return tail.substr(appended::lastSectionStart(tail));
}

} // namespace

AppendLog::Ending AppendLog::cutTorn(SourceBytes& bytes) {
    const std::size_t torn = appended::tornLength(bytes.view());
    bytes.shorten(bytes.size() - torn);
    return Ending{torn, std::string(bytes.view().substr(appended::lastSectionStart(bytes.view())))};
}

void AppendLog::loaded(Ending ending) {
    m_tail = std::move(ending.tail);
    m_torn = ending.torn;
    m_known = false;
}

RegistryDocument AppendLog::folded(SourceBytes bytes, std::string_view fileName) {
    bytes.shorten(bytes.size() - appended::tornLength(bytes.view()));
    const auto region = appended::findRegion(bytes.view(), bytes.find(appended::Marker));
    if (region)
        bytes.shorten(region->start);
    RegistryDocument document = RegistryDocument::fromBytes(std::move(bytes), fileName);
    if (region)
        for (const auto& change : region->changes)
            document.apply(change);
    return document;
}

void AppendLog::find(const SourceBytes& bytes) {
    if (m_known)
        return;
    const auto region = appended::findRegion(bytes.view(), bytes.find(appended::Marker));
    m_bytes = region ? bytes.size() - region->start : 0;
    m_sections = region ? region->changes.size() : 0;
    m_known = true;
}

std::optional<std::string> AppendLog::sectionFor(const RegKey& top, const Change& change) const {
    std::string section = appended::sectionFor(top, change);
    if (m_bytes == 0) {
        std::string opening = "\r\n";
        opening += appended::Marker;
        opening += "\r\n";
        section.insert(0, opening);
    }
    if (!appended::readsAs(m_tail, section, {&change, 1}))
        return std::nullopt;
    return section;
}

void AppendLog::append(const std::filesystem::path& file, std::string_view section, DiskStamp& stamp,
                           const FileCalls& calls) {
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "開けません"), lastSystemReason());
    if (!stamp.matches(st)) // changed since the look under the lock, by a program that does not lock
        failChangedMeanwhile(file);
    const off_t end = st.st_size - static_cast<off_t>(m_torn);
    if ((m_torn > 0 && calls.callTruncate(fd.get(), end) != 0) || ::lseek(fd.get(), end, SEEK_SET) != end)
        failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "書き込めません"), lastSystemReason());
    try {
        calls.writeAll(fd.get(), section, file);
        setModifiedTwoSecondsBack(fd.get());
        if (calls.callFsync(fd.get()) != 0)
            failOnFile(file, QT_TRANSLATE_NOOP("RegistryFile", "ディスクに書き込めません"),
                       lastSystemReason());
    } catch (const Failure&) {
        takeBack(fd.get(), stamp, calls);
        throw;
    }
    stamp.written(fd.get());
    m_torn = 0; // cut off before this write
    m_bytes += section.size();
    ++m_sections;
    m_appendedHere = true;
    m_tail = section.substr(appended::lastSectionStart(section));
}

void AppendLog::takeBack(int fd, DiskStamp& stamp, const FileCalls& calls) {
    bool restored = calls.callTruncate(fd, stamp.size() - static_cast<off_t>(m_torn)) == 0;
    if (restored) {
        setModifiedTwoSecondsBack(fd);
        restored = calls.callFsync(fd) == 0;
    }
    if (restored) {
        stamp.written(fd);
        m_torn = 0;
    } else {
        stamp.forget(); // the next look loads whatever the file now holds
    }
}

void AppendLog::rewritten(const std::vector<std::string_view>& pieces) {
    m_torn = 0;
    m_bytes = 0;
    m_sections = 0;
    m_tail = lastSectionOf(pieces);
}

bool AppendLog::large(std::size_t size) const {
    return m_bytes > std::max(MinimumFoldBytes, size / 8) ||
           m_sections > std::max(MinimumFoldSections, size / FileBytesPerSection);
}

} // namespace kv
