#include "DiskStamp.h"

#include "MappedBytes.h"

#include <ctime>
#include <functional>
#include <string_view>

namespace kv {

namespace {

// Whether any later change of the file must give it a later modification time than st holds.
// A change within the clock tick the time was taken in keeps the same time; so does one within
// the same second or two on a file system that keeps coarse times, shown by a time that is a
// whole second.
bool timeTellsChanges(const struct stat& st) {
    timespec now{}, tick{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    ::clock_getres(CLOCK_REALTIME_COARSE, &tick);
    const auto nanoseconds = [](const timespec& t) { return t.tv_sec * 1'000'000'000LL + t.tv_nsec; };
    const long long granularity = st.st_mtim.tv_nsec == 0 ? 2'000'000'000LL : nanoseconds(tick);
    return nanoseconds(st.st_mtim) + granularity <= nanoseconds(now);
}

std::size_t hashOf(const SourceBytes& bytes) {
    std::size_t hash = 0;
    bytes.walk([&](std::string_view chunk, std::size_t) {
        hash = hash * 1099511628211ull ^ std::hash<std::string_view>{}(chunk);
        return false;
    });
    return hash;
}

} // namespace

DiskStamp::Fields DiskStamp::fieldsOf(const struct stat& st) {
    return Fields{st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
                  st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

DiskStamp DiskStamp::of(const struct stat& st, const SourceBytes& bytes) {
    DiskStamp stamp;
    stamp.m_fields = fieldsOf(st);
    if (!timeTellsChanges(st))
        stamp.m_racyHash = hashOf(bytes);
    return stamp;
}

void DiskStamp::written(const struct stat& st) {
    m_fields = timeTellsChanges(st) ? fieldsOf(st) : Fields{};
    m_racyHash.reset();
}

void DiskStamp::written(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        forget();
    else
        written(st);
}

void DiskStamp::written(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        forget();
    else
        written(st);
}

bool DiskStamp::matches(const struct stat& st) const {
    return fieldsOf(st) == m_fields;
}

bool DiskStamp::changed(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !matches(st))
        return true;
    if (!m_racyHash)
        return false;
    const RegularFile read = readRegularFile(file);
    if (!matches(read.st) || hashOf(read.bytes) != *m_racyHash)
        return true;
    if (timeTellsChanges(read.st))
        m_racyHash.reset();
    return false;
}

} // namespace kv
