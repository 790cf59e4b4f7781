#include "WriteJournal.h"

#include "LittleEndian.h"

#include <string_view>

namespace kv::image {

namespace {

constexpr std::string_view Magic = "Kavendel image write journal 2\n";
// Journals an earlier Kavendel left, without companions, are still finished.
constexpr std::string_view FirstMagic = "Kavendel image write journal 1\n";

// FNV-1a: enough to tell a whole journal from a torn or damaged one.
std::uint64_t checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

void putNumber(std::string& out, std::uint64_t value) {
    le::append(out, value, 8);
}

void putBytes(std::string& out, std::string_view bytes) {
    putNumber(out, bytes.size());
    out += bytes;
}

// Reads what encode() wrote; any read past the end marks the journal as damaged.
class Reader {
public:
    explicit Reader(std::string_view bytes)
        : m_bytes(bytes) {}

    std::uint64_t number() {
        const std::string_view raw = take(8);
        return raw.size() == 8 ? le::get64(raw, 0) : 0;
    }
    std::string bytes() { return std::string(take(number())); }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_bytes.empty(); }

private:
    std::string_view take(std::uint64_t length) {
        if (length > m_bytes.size()) {
            m_ok = false;
            return {};
        }
        const std::string_view taken = m_bytes.substr(0, length);
        m_bytes.remove_prefix(length);
        return taken;
    }

    std::string_view m_bytes;
    bool m_ok = true;
};

} // namespace

std::filesystem::path journalFile(const std::filesystem::path& journalDir) {
    return journalDir / "image-write.journal";
}

std::string WriteJournal::encode() const {
    std::string out(Magic);
    putBytes(out, location.image.string());
    putBytes(out, location.format);
    putNumber(out, static_cast<std::uint64_t>(location.partition));
    putNumber(out, location.offset);
    putNumber(out, location.size);
    putNumber(out, ranges.size());
    for (const JournalRange& range : ranges) {
        putNumber(out, range.offset);
        putBytes(out, range.before);
        putBytes(out, range.after);
    }
    putNumber(out, companions.size());
    for (const CompanionFile& companion : companions) {
        putBytes(out, companion.file.string());
        putBytes(out, companion.bytes);
    }
    putNumber(out, checksum(out));
    return out;
}

WriteJournal WriteJournal::decode(const std::string& bytes, const std::filesystem::path& file) {
    const auto damaged = [&] {
        return Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "ディスクイメージへの終わっていない書き込みのジャーナル "
                                                     "%1 が壊れています。イメージが何を持つべきか "
                                                     "Kavendel には分かりません"),
                      {file.string()}));
    };
    const bool first = bytes.starts_with(FirstMagic);
    if (bytes.size() < Magic.size() + 8 || !(first || bytes.starts_with(Magic)))
        throw damaged();
    const std::string_view body = std::string_view(bytes).substr(0, bytes.size() - 8);
    Reader tail(std::string_view(bytes).substr(body.size()));
    if (tail.number() != checksum(body))
        throw damaged();
    Reader in(body.substr(Magic.size()));
    WriteJournal journal;
    journal.location.image = in.bytes();
    journal.location.format = in.bytes();
    journal.location.partition = static_cast<int>(in.number());
    journal.location.offset = in.number();
    journal.location.size = in.number();
    for (std::uint64_t count = in.number(); in.ok() && count > 0; --count) {
        JournalRange range;
        range.offset = in.number();
        range.before = in.bytes();
        range.after = in.bytes();
        if (range.before.size() != range.after.size())
            throw damaged();
        journal.ranges.push_back(std::move(range));
    }
    for (std::uint64_t count = first ? 0 : in.number(); in.ok() && count > 0; --count) {
        CompanionFile companion;
        companion.file = in.bytes();
        companion.bytes = in.bytes();
        journal.companions.push_back(std::move(companion));
    }
    if (!in.ok() || !in.atEnd())
        throw damaged();
    return journal;
}

} // namespace kv::image
