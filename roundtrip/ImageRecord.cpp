#include "ImageRecord.h"

#include "AtomicFile.h"
#include "DiskImage.h"
#include "FileBytes.h"
#include "MachineFolder.h"
#include "RoundTripText.h"

#include <charconv>

namespace fs = std::filesystem;

namespace kv {

namespace {

constexpr std::string_view Roles[] = {"hive", "taken", "target"};

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<RecordedFile> fileLine(const std::vector<std::string_view>& f) {
    if (f.size() != 5 || f[0] != "file")
        return std::nullopt;
    RecordedFile file;
    const auto role = std::find(std::begin(Roles), std::end(Roles), f[1]);
    if (role == std::end(Roles))
        return std::nullopt;
    file.role = static_cast<RecordedFile::Role>(role - std::begin(Roles));
    file.windowsPath = std::string(f[4]);
    if (f[2] == "-")
        return file;
    const auto size = number(f[2]);
    if (!size || f[3].size() != 64)
        return std::nullopt;
    file.contents = Fingerprint{*size, std::string(f[3])};
    return file;
}

} // namespace

std::optional<ImageRecord> ImageRecord::load(const fs::path& machineDir) {
    const fs::path file = ImageRecord::file(machineDir);
    const auto text = readIfPresent(file);
    if (!text)
        return std::nullopt;
    ImageRecord record;
    bool bad = false;
    std::size_t start = 0;
    for (std::size_t end; start < text->size() && !bad; start = end + 1) {
        end = std::min(text->find('\n', start), text->size());
        const auto f = fields(std::string_view(*text).substr(start, end - start));
        if (f.size() == 2 && f[0] == "image")
            record.image = fs::path(std::string(f[1]));
        else if (f.size() == 2 && f[0] == "format")
            record.format = std::string(f[1]);
        else if (f.size() == 2 && f[0] == "partition" && number(f[1]) && *number(f[1]) <= 4)
            record.partition = static_cast<int>(*number(f[1]));
        else if (auto recorded = fileLine(f))
            record.files.push_back(std::move(*recorded));
        else
            bad = true;
    }
    if (bad || record.image.empty() || record.format.empty())
        throw Failure(roundTripText(
            QT_TRANSLATE_NOOP("RoundTrip", "%1 が壊れています: ディスクイメージをインポートし直してください"),
            {file.string()}));
    return record;
}

fs::path ImageRecord::importedRegistry(const fs::path& machineDir) {
    return MachineFolder::baselineIn(machineDir);
}

std::string ImageRecord::text() const {
    std::string text = "image\t" + image.string() + "\nformat\t" + format + "\npartition\t" +
                       std::to_string(partition) + "\n";
    for (const RecordedFile& file : files) {
        text += "file\t" + std::string(Roles[static_cast<int>(file.role)]) + "\t";
        text += file.contents ? std::to_string(file.contents->size) + "\t" + file.contents->sha256 : "-\t-";
        text += "\t" + file.windowsPath + "\n";
    }
    return text;
}

void ImageRecord::save(const fs::path& machineDir) const {
    fs::create_directories(folder(machineDir));
    replaceFileAtomically(file(machineDir), {text()}, 0644);
}

} // namespace kv
