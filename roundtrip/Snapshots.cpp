#include "Snapshots.h"

#include "AtomicFile.h"
#include "Cp932.h"
#include "Failure.h"
#include "FileBytes.h"
#include "MachineFolder.h"
#include "MachineLock.h"
#include "RegistryDocument.h"
#include "RoundTripText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace kv {

namespace {

const char* const LacksItsCopy =
    QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 に %2 のコピーがありません");

constexpr std::string_view ManifestName = "snapshot.txt";

mode_t modeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644;
}

// Writes a file that did not exist, creating its folders; each new folder is fsynced up to top.
void writeNew(const fs::path& top, const fs::path& relative, std::string_view bytes, mode_t mode) {
    const fs::path file = top / relative;
    fs::create_directories(file.parent_path());
    replaceFileAtomically(file, {bytes}, mode);
    for (fs::path folder = file.parent_path(); folder != top && folder.has_relative_path();
         folder = folder.parent_path())
        syncFolder(folder.parent_path());
}

// Replaces a file that the machine holds: through a link to where it points, as the program's
// own writers do, keeping its mode.
void writeOver(const fs::path& file, std::string_view bytes, mode_t mode) {
    fs::create_directories(file.parent_path());
    replaceFileAtomically(linkTarget(file), {bytes}, mode);
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

std::optional<std::uint64_t> idFromName(std::string_view name) {
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (name.empty() || error != std::errc() || end != name.data() + name.size() || name.front() == '0')
        return std::nullopt;
    return id;
}

constexpr std::string_view KindNames[] = {"by hand", "automatic"};
constexpr std::string_view PlaceNames[] = {"image", "host"}; // as OutsideFile::Place

// Counted on the trees: a registry written again in another form reads the same.
std::optional<DiffCount> changesBetween(std::string_view before, std::string_view after) {
    if (before == after)
        return DiffCount{};
    try {
        return countDifferences(RegistryDocument::parse(before).tree(),
                                RegistryDocument::parse(after).tree());
    } catch (const Failure&) {
        return std::nullopt;
    }
}

std::string changesLine(std::uint64_t previous, const DiffCount& changes) {
    return "changes\t" + std::to_string(previous) + '\t' + std::to_string(changes.keys) + '\t' +
           std::to_string(changes.values) + '\n';
}

// The first lines of a manifest: time, kind and changes; nullopt when it has no time.
std::optional<SnapshotInfo> infoOf(std::uint64_t id, std::istream& manifest) {
    SnapshotInfo info{id, {}, SnapshotKind::ByHand, 0, std::nullopt};
    std::string line;
    if (!std::getline(manifest, line) || !line.starts_with("time\t"))
        return std::nullopt;
    info.time = line.substr(5);
    while (std::getline(manifest, line) && !line.starts_with("file\t") && !line.starts_with("absent\t")) {
        std::istringstream fields(line);
        std::string name;
        std::getline(fields, name, '\t');
        DiffCount count;
        if (name == "kind")
            info.kind = line.substr(5) == KindNames[1] ? SnapshotKind::Automatic : SnapshotKind::ByHand;
        else if (name == "changes" && fields >> info.previous >> count.keys >> count.values)
            info.changes = count;
        else if (name == "holds")
            (line.substr(6) == PlaceNames[0] ? info.holdsImageFiles : info.holdsHiveFiles) = true;
        else if (name == "original") // as snapshots of an earlier Kavendel name Windows' registry files
            info.holdsHiveFiles = true;
    }
    return info;
}

bool escapes(const fs::path& relative) {
    return relative.empty() || relative.is_absolute() ||
           std::any_of(relative.begin(), relative.end(), [](const fs::path& part) { return part == ".."; });
}

// A failure of the snapshots' own, of a text as it is.
Failure snapshotFailure(const char* source, std::vector<std::string> args) {
    return Failure(roundTripText(source, std::move(args)));
}

// A file that a snapshot holds: where it goes in the snapshot's folder, and its bytes and mode.
struct Copy {
    fs::path name;
    std::string bytes;
    mode_t mode = 0644;
};

// The manifest's line for a file from outside, whose copy it adds: Windows' own registry files by
// their names, so that the user finds them; a disk image's by number, as their Windows paths
// are no host names.
std::string outsideLine(const OutsideFile& file, std::vector<Copy>& copies) {
    const auto count = std::count_if(copies.begin(), copies.end(),
                                     [](const Copy& c) { return c.name.begin()->string() == "image"; });
    const fs::path name = file.place == OutsideFile::Place::Host
                              ? "originals" / fs::path(file.path).filename()
                              : "image" / fs::path(std::to_string(count + 1));
    if (file.before) {
        if (std::any_of(copies.begin(), copies.end(), [&](const Copy& c) { return c.name == name; }))
            throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "%1: 同じ名前のファイルがほかにもあります"),
                                  {file.path});
        copies.push_back({name, *file.before, 0644});
    }
    std::string line = "outside\t" + std::string(PlaceNames[static_cast<int>(file.place)]) + "\t" +
                       (file.before ? name.string() : "-") + "\t" +
                       (file.written.empty() ? "-" : file.written) + "\t" + file.path + "\n";
    if (file.attributes)
        line += "attributes\t" + std::to_string(file.attributes) + "\t" + file.path + "\n";
    return line;
}

// Reads an "attributes<TAB>N<TAB>path" line into file, when it names that file.
bool keepAttributes(std::string_view line, OutsideFile& file) {
    constexpr std::string_view lead = "attributes\t";
    if (!line.starts_with(lead))
        return false;
    line.remove_prefix(lead.size());
    unsigned attributes = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), attributes);
    if (error == std::errc() && attributes <= 0xFF &&
        std::string_view(end, line.data() + line.size()) == "\t" + file.path)
        file.attributes = static_cast<std::uint8_t>(attributes);
    return true;
}

// Writes the copies into a new folder in folder, whose path it returns.
fs::path build(const fs::path& folder, const std::vector<Copy>& copies) {
    std::string built = (folder / ".new-XXXXXX").string();
    if (!::mkdtemp(built.data())) {
        const std::error_code reason = lastSystemReason();
        throw Failure(
            roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 にフォルダを作成できません"), {folder.string()}),
            reason);
    }
    try {
        for (const Copy& copy : copies)
            writeNew(built, copy.name, copy.bytes, copy.mode);
    } catch (...) {
        std::error_code ec;
        fs::remove_all(built, ec);
        throw;
    }
    return built;
}

} // namespace

// Each step runs its reading and writing in one failingAs, which says what the step was doing,
// and makes its own checks outside it: a failure of the snapshots' own is said as it is, and
// none is said twice.
Snapshots::Snapshots(fs::path machineDir)
    : m_machine(std::move(machineDir)) {}

fs::path Snapshots::folder() const {
    return MachineFolder::snapshotsIn(m_machine);
}

fs::path Snapshots::folderOf(std::uint64_t id) const {
    return folder() / std::to_string(id);
}

fs::path Snapshots::relativeOf(const fs::path& file) const {
    const fs::path relative = file.lexically_normal().lexically_relative(m_machine.lexically_normal());
    if (escapes(relative))
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "%1 はマシンフォルダ %2 の中にありません"),
                              {file.string(), m_machine.string()});
    return relative;
}

std::uint64_t Snapshots::take(const std::vector<fs::path>& files, SnapshotKind kind,
                              const std::vector<OutsideFile>& outside) {
    const Message step = roundTripText(
        QT_TRANSLATE_NOOP("RoundTrip", "%1 にスナップショットを保存できません"), {folder().string()});
    const auto read = [&](const fs::path& file) {
        return failingAs(step, [&] { return readIfPresent(file); });
    };
    auto registry = read(MachineFolder::registryFileIn(m_machine));
    if (!registry)
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "%1 に %2 がありません"),
                              {m_machine.string(), std::string(MachineFolder::RegistryFileName)});
    std::string manifest = "time\t" + utcNow() + "\nkind\t";
    manifest += KindNames[static_cast<int>(kind)];
    manifest += '\n';
    const auto kept = list();
    const std::uint64_t previous = kept.empty() ? 0 : kept.back().id;
    if (const auto changes = previous ? changesBetween(this->registry(previous), *registry) : DiffCount{})
        manifest += changesLine(previous, *changes);
    for (const OutsideFile::Place place : {OutsideFile::Place::Image, OutsideFile::Place::Host})
        if (std::any_of(outside.begin(), outside.end(),
                        [&](const OutsideFile& f) { return f.place == place; }))
            manifest += "holds\t" + std::string(PlaceNames[static_cast<int>(place)]) + "\n";
    std::vector<Copy> copies{{MachineFolder::RegistryFileName, std::move(*registry), 0644}};
    for (const fs::path& file : files) {
        const fs::path relative = relativeOf(file);
        auto bytes = read(file);
        manifest += (bytes ? "file\t" : "absent\t") + relative.string() + "\n";
        if (bytes)
            copies.push_back({"files" / relative, std::move(*bytes), modeOf(file)});
    }
    for (const OutsideFile& file : outside)
        manifest += outsideLine(file, copies);
    copies.push_back({ManifestName, std::move(manifest), 0644});
    return failingAs(step, [&] {
        if (fs::create_directories(folder()))
            syncFolder(m_machine);
        const fs::path built = build(folder(), copies);
        try {
            const std::uint64_t id = publish(built);
            prune();
            return id;
        } catch (...) {
            std::error_code ec;
            fs::remove_all(built, ec);
            throw;
        }
    });
}

std::uint64_t Snapshots::publish(const fs::path& built) {
    syncFolder(built);
    for (;;) {
        const auto kept = list();
        const std::uint64_t id = kept.empty() ? 1 : kept.back().id + 1;
        if (::rename(built.c_str(), folderOf(id).c_str()) == 0) {
            syncFolder(folder());
            return id;
        }
        if (errno != EEXIST && errno != ENOTEMPTY) {
            const std::error_code reason = lastSystemReason();
            throw Failure(
                roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 の名前を変えられません"), {built.string()}),
                reason);
        }
        // Another process published this id first: take the next one.
    }
}

void Snapshots::prune() {
    // Folders that a writer killed mid-snapshot left; an hour is far longer than any snapshot takes.
    std::error_code ec;
    const auto stale = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec))
        if (const std::string name = it->path().filename().string();
            name.starts_with(".gone-") ||
            (name.starts_with(".new-") && it->last_write_time(ec) < stale && !ec))
            fs::remove_all(it->path(), ec);
    const auto kept = list();
    std::size_t left[2] = {};
    for (const SnapshotInfo& info : kept)
        ++left[static_cast<int>(info.kind)];
    for (const SnapshotInfo& info : kept)
        if (std::size_t& ofKind = left[static_cast<int>(info.kind)]; ofKind > Kept) {
            remove(info.id);
            --ofKind;
        }
}

// Renamed out of the way first, so that no half-removed snapshot is ever listed; what a
// process killed in the middle of the removal left is cleared by the next prune.
void Snapshots::remove(std::uint64_t id) {
    const fs::path gone = folder() / (".gone-" + std::to_string(id));
    std::error_code ec;
    fs::rename(folderOf(id), gone, ec);
    if (!ec) {
        syncFolder(folder());
        fs::remove_all(gone, ec);
    }
    if (ec)
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 を削除できません"),
                                    {std::to_string(id)}),
                      ec);
}

bool Snapshots::holdsThePresent(std::uint64_t id) const {
    const auto now = readIfPresent(MachineFolder::registryFileIn(m_machine));
    if (!now || changesBetween(registry(id), *now) != DiffCount{})
        return false;
    const auto entries = this->entries(id);
    return std::all_of(entries.begin(), entries.end(), [&](const Entry& entry) {
        const auto copy =
            entry.present ? readIfPresent(folderOf(id) / "files" / entry.relative) : std::nullopt;
        return copy == readIfPresent(m_machine / entry.relative);
    });
}

void Snapshots::addFile(std::uint64_t id, const fs::path& file) {
    const fs::path relative = relativeOf(file);
    const auto recorded = entries(id);
    if (std::any_of(recorded.begin(), recorded.end(), [&](const Entry& e) { return e.relative == relative; }))
        return;
    failingAs(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 をスナップショット %2 に加えられません"),
                            {file.string(), std::to_string(id)}),
              [&] {
                  const auto bytes = readIfPresent(file);
                  if (bytes)
                      writeNew(folderOf(id), "files" / relative, *bytes, modeOf(file));
                  // The manifest names the file only once its copy is durable.
                  auto manifest = readIfPresent(folderOf(id) / ManifestName).value_or("");
                  manifest += (bytes ? "file\t" : "absent\t") + relative.string() + "\n";
                  replaceFileAtomically(folderOf(id) / ManifestName, {manifest}, 0644);
              });
}

std::vector<SnapshotInfo> Snapshots::list() const {
    std::vector<SnapshotInfo> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
        const auto id = idFromName(it->path().filename().string());
        if (!id)
            continue;
        std::ifstream manifest(it->path() / ManifestName);
        if (auto info = infoOf(*id, manifest))
            found.push_back(std::move(*info));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return found;
}

std::vector<SnapshotInfo> Snapshots::listWithChanges() {
    auto found = list();
    for (std::size_t i = 0; i < found.size(); ++i) {
        SnapshotInfo& info = found[i];
        if (info.changes)
            continue;
        try {
            info.previous = i == 0 ? 0 : found[i - 1].id;
            const std::string now = registry(info.id);
            info.changes = info.previous ? changesBetween(registry(info.previous), now) : DiffCount{};
            if (info.changes)
                keepChanges(info);
        } catch (const std::exception&) {
            // Listed as unknown; a snapshot that cannot be read is no reason to list none.
        }
    }
    return found;
}

// Written after the manifest's kind line, before the files: a later list reads only that far.
void Snapshots::keepChanges(const SnapshotInfo& info) {
    const fs::path file = folderOf(info.id) / ManifestName;
    std::string manifest = readIfPresent(file).value_or("");
    std::size_t at = manifest.find('\n') + 1;
    if (manifest.compare(at, 5, "kind\t") == 0)
        at = manifest.find('\n', at) + 1;
    manifest.insert(at, changesLine(info.previous, *info.changes));
    replaceFileAtomically(file, {manifest}, 0644);
}

std::uint64_t Snapshots::parseId(std::string_view text) const {
    const auto id = idFromName(text);
    if (!id)
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "%1 はスナップショットの ID ではありません "
                                                             "(ID は --snapshots で一覧できます)"),
                              {std::string(text)})
            .as(Fault::badUsage);
    const auto kept = list();
    if (std::any_of(kept.begin(), kept.end(), [&](const SnapshotInfo& s) { return s.id == *id; }))
        return *id;
    if (!kept.empty() && *id < kept.back().id)
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip",
                                                "スナップショット %1 は整理されて、もうありません。"
                                                "残すのは手動のスナップショットの最後の %2 個と"
                                                "自動のものの最後の %2 個で、何も変えなかった"
                                                "実行は自分のスナップショットを消します"),
                              {std::string(text), std::to_string(Kept)})
            .as(Fault::badUsage);
    throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "%2 にスナップショット %1 はありません "
                                                         "(ID は --snapshots で一覧できます)"),
                          {std::string(text), folder().string()})
        .as(Fault::badUsage);
}

std::string Snapshots::registry(std::uint64_t id) const {
    auto bytes =
        failingAs(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 を読み込めません"),
                                {std::to_string(id)}),
                  [&] { return readIfPresent(folderOf(id) / MachineFolder::RegistryFileName); });
    if (!bytes)
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 に %2 がありません"),
                              {std::to_string(id), std::string(MachineFolder::RegistryFileName)});
    return std::move(*bytes);
}

std::vector<Snapshots::Entry> Snapshots::entries(std::uint64_t id) const {
    std::ifstream manifest(folderOf(id) / ManifestName);
    if (!manifest)
        throw snapshotFailure(QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 に %2 がありません"),
                              {std::to_string(id), std::string(ManifestName)});
    std::vector<Entry> found;
    for (std::string line; std::getline(manifest, line);) {
        const std::size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab);
        if (tab == std::string::npos || (kind != "file" && kind != "absent"))
            continue;
        const fs::path relative = line.substr(tab + 1);
        if (escapes(relative))
            throw snapshotFailure(
                QT_TRANSLATE_NOOP("RoundTrip",
                                  "スナップショット %1 がマシンフォルダの外のファイルを指しています"),
                {std::to_string(id)});
        found.push_back({kind == "file", relative});
    }
    return found;
}

std::vector<OutsideFile> Snapshots::outsideFiles(std::uint64_t id) const {
    std::ifstream manifest(folderOf(id) / ManifestName);
    std::vector<OutsideFile> found;
    for (std::string line; std::getline(manifest, line);) {
        if (!found.empty() && keepAttributes(line, found.back()))
            continue;
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; fields.size() < 4 && std::getline(split, field, '\t');)
            fields.push_back(field);
        std::string path;
        std::getline(split, path);
        if (fields.size() != 4 || fields[0] != "outside" || path.empty())
            continue;
        OutsideFile file{fields[1] == PlaceNames[0] ? OutsideFile::Place::Image : OutsideFile::Place::Host,
                         path, std::nullopt, fields[3] == "-" ? "" : fields[3]};
        if (fields[2] != "-") {
            const fs::path copy = fields[2];
            file.before = escapes(copy) ? std::nullopt : readIfPresent(folderOf(id) / copy);
            if (!file.before)
                throw snapshotFailure(LacksItsCopy, {std::to_string(id), path});
        }
        found.push_back(std::move(file));
    }
    return found;
}

namespace {

// The file as it is now and as it would be put back, unless the two are the same.
void planPutBack(const fs::path& file, const std::optional<std::string>& wanted,
                 std::vector<PlannedFile>& out) {
    const auto now = readIfPresent(file);
    if (now != wanted)
        out.push_back({file.string(), sizeOfBytes(now), sizeOfBytes(wanted)});
}

} // namespace

std::vector<PlannedFile> plannedFiles(const std::vector<OutsideFile>& replaced) {
    std::vector<PlannedFile> planned;
    for (const OutsideFile& file : replaced)
        planned.push_back({file.place == OutsideFile::Place::Image ? cp932::toUtf8(file.path) : file.path,
                           sizeOfBytes(file.before), sizeOfFingerprint(file.written)});
    return planned;
}

std::vector<PlannedFile> Snapshots::plannedRestore(std::uint64_t id) const {
    std::vector<PlannedFile> planned;
    planPutBack(MachineFolder::registryFileIn(m_machine), registry(id), planned);
    for (const Entry& entry : entries(id))
        planPutBack(m_machine / entry.relative,
                    entry.present ? readIfPresent(folderOf(id) / "files" / entry.relative) : std::nullopt,
                    planned);
    return planned;
}

std::uint64_t Snapshots::restore(std::uint64_t id, const std::function<OutsideRestore()>& planOutside) {
    const MachineLock lock(m_machine);
    // Everything is read first: the snapshot of the present may prune this one.
    const std::string registryBytes = registry(id);
    struct Saved {
        Entry entry;
        std::string bytes;
        mode_t mode = 0644;
    };
    std::vector<Saved> saved;
    std::vector<fs::path> files;
    for (const Entry& entry : entries(id)) {
        const fs::path copy = folderOf(id) / "files" / entry.relative;
        const auto bytes = entry.present ? readIfPresent(copy) : std::string();
        if (!bytes)
            throw snapshotFailure(LacksItsCopy, {std::to_string(id), entry.relative.string()});
        saved.push_back({entry, *bytes, modeOf(copy)});
        files.push_back(m_machine / entry.relative);
    }
    const OutsideRestore outside = planOutside ? planOutside() : OutsideRestore{};
    const std::uint64_t present = take(files, SnapshotKind::ByHand, outside.replaced);
    if (outside.putBack) {
        try {
            outside.putBack();
        } catch (...) {
            remove(present);
            throw;
        }
    }
    failingAs(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "スナップショット %1 に戻せません"),
                            {std::to_string(id)}),
              [&] {
                  const fs::path registryFile = MachineFolder::registryFileIn(m_machine);
                  writeOver(registryFile, registryBytes, modeOf(registryFile));
                  for (const Saved& file : saved) {
                      const fs::path target = m_machine / file.entry.relative;
                      std::error_code ec;
                      if (file.entry.present)
                          writeOver(target, file.bytes, file.mode);
                      else if (const auto status = fs::symlink_status(target, ec);
                               fs::is_regular_file(status) || fs::is_symlink(status))
                          fs::remove(target);
                  }
              });
    return present;
}

} // namespace kv
