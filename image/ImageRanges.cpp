#include "ImageRanges.h"

#include "DiskImage.h"
#include "ImageFormat.h"
#include "ImageLock.h"
#include "RawFile.h"
#include "TemporaryFolder.h"

#include <algorithm>
#include <fstream>

namespace kv::image {

namespace {

// qemu's raw driver takes windows on a disk only in whole sectors.
constexpr std::uint64_t Sector = 512;
// Keeps a run's command line far below the kernel's limit.
constexpr std::size_t RangesPerRun = 200;

// Sector-aligned spans covering the ranges, sorted, with overlapping and touching ones joined.
std::vector<DiskRange> alignedSpans(const std::vector<DiskRange>& ranges) {
    std::vector<DiskRange> spans;
    for (const DiskRange& range : ranges) {
        const std::uint64_t begin = range.offset / Sector * Sector;
        const std::uint64_t end = (range.offset + range.length + Sector - 1) / Sector * Sector;
        spans.push_back({begin, static_cast<std::size_t>(end - begin)});
    }
    std::sort(spans.begin(), spans.end(), [](auto& a, auto& b) { return a.offset < b.offset; });
    std::vector<DiskRange> joined;
    for (const DiskRange& span : spans) {
        if (!joined.empty() && span.offset <= joined.back().offset + joined.back().length) {
            const std::uint64_t end =
                std::max(joined.back().offset + joined.back().length, span.offset + span.length);
            joined.back().length = static_cast<std::size_t>(end - joined.back().offset);
        } else if (span.length > 0) {
            joined.push_back(span);
        }
    }
    return joined;
}

// The spans, concatenated, as one run of qemu-img convert reads them.
std::string readSpans(const std::filesystem::path& image, const std::string& format,
                      const std::vector<DiskRange>& spans, const ImageCalls& calls) {
    TemporaryFolder scratch("image");
    const std::filesystem::path out = scratch.path() / "ranges.bin";
    std::vector<std::string> argv{"qemu-img", "convert", "-U", "-q", "--image-opts", "-O", "raw"};
    const std::string file =
        ",file.driver=" + format + ",file.file.driver=file,file.file.filename=" + qemuOptionValue(image);
    for (const DiskRange& span : spans)
        argv.push_back("driver=raw,offset=" + std::to_string(span.offset) +
                       ",size=" + std::to_string(span.length) + file);
    argv.push_back(out.string());
    const ProgramResult result = calls.runProgram(argv);
    if (result.status != 0)
        throw programFailure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を読み込めません"), {image.string()}), "qemu-img",
            result);
    std::error_code ec;
    std::string bytes;
    if (std::filesystem::exists(out, ec)) {
        const RawFile output = RawFile::openForReading(out);
        bytes = output.readAt(0, static_cast<std::size_t>(output.size()));
    }
    std::size_t expected = 0;
    for (const DiskRange& span : spans)
        expected += span.length;
    if (bytes.size() != expected)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を読み込めません: qemu-img は %2 バイトを求められて "
                                                     "%3 バイトを返しました"),
                      {image.string(), std::to_string(expected), std::to_string(bytes.size())}));
    return bytes;
}

std::vector<std::string> readThroughQemu(const std::filesystem::path& image, const std::string& format,
                                         const std::vector<DiskRange>& ranges, const ImageCalls& calls,
                                         std::uint64_t& bytesRead) {
    const std::vector<DiskRange> spans = alignedSpans(ranges);
    std::vector<std::pair<std::uint64_t, std::string>> read; // each span's offset and bytes
    for (std::size_t first = 0; first < spans.size(); first += RangesPerRun) {
        const std::vector<DiskRange> batch(
            spans.begin() + static_cast<std::ptrdiff_t>(first),
            spans.begin() + static_cast<std::ptrdiff_t>(std::min(spans.size(), first + RangesPerRun)));
        const std::string bytes = readSpans(image, format, batch, calls);
        bytesRead += bytes.size();
        std::size_t at = 0;
        for (const DiskRange& span : batch) {
            read.emplace_back(span.offset, bytes.substr(at, span.length));
            at += span.length;
        }
    }
    std::vector<std::string> result;
    for (const DiskRange& range : ranges) {
        // The last span that starts at or before the range holds it whole.
        auto it =
            std::upper_bound(read.begin(), read.end(), range.offset,
                             [](std::uint64_t offset, const auto& span) { return offset < span.first; });
        result.push_back(range.length == 0 ? std::string()
                                           : std::prev(it)->second.substr(range.offset - std::prev(it)->first,
                                                                          range.length));
    }
    return result;
}

} // namespace

std::vector<std::string> readDiskRanges(const std::filesystem::path& image, const std::string& format,
                                        const std::vector<DiskRange>& ranges, const ImageCalls& calls,
                                        std::uint64_t& bytesRead) {
    if (format != "raw")
        return readThroughQemu(image, format, ranges, calls, bytesRead);
    const RawFile file = RawFile::openForReading(image);
    std::vector<std::string> result;
    for (const DiskRange& range : ranges) {
        result.push_back(file.readAt(range.offset, range.length));
        bytesRead += range.length;
    }
    return result;
}

void writeDiskRanges(const std::filesystem::path& image, const std::string& format,
                     const std::vector<DiskWrite>& writes, const ImageCalls& calls) {
    if (format == "raw") {
        const RawFile file = RawFile::openForWriting(image);
        for (const DiskWrite& write : writes)
            file.writeAt(write.offset, write.bytes, calls.files);
        file.sync(calls.files);
        return;
    }
    if (writes.empty())
        return;
    TemporaryFolder scratch("image");
    std::vector<std::string> argv{"qemu-io", "-f", format};
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const std::filesystem::path source = scratch.path() / std::to_string(i);
        std::ofstream out(source, std::ios::binary);
        out << writes[i].bytes;
        if (!out.flush())
            throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "一時ファイル %1 に書き込めません"),
                                    {source.string()}));
        argv.push_back("-c");
        argv.push_back("write -s " + source.string() + " " + std::to_string(writes[i].offset) + " " +
                       std::to_string(writes[i].bytes.size()));
    }
    // Absolute, so that qemu never takes a name like "nbd:x" for a protocol.
    argv.insert(argv.end(), {"-c", "flush", std::filesystem::absolute(image).string()});
    const ProgramResult result = calls.runProgram(argv);
    if (result.status != 0 && result.err.find("lock") != std::string::npos)
        throw Failure(inUseMessage(image));
    std::size_t wrote = 0;
    for (std::size_t at = result.out.find("wrote "); at != std::string::npos;
         at = result.out.find("wrote ", at + 1))
        ++wrote;
    if (result.status != 0)
        throw programFailure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 に書き込めません"), {image.string()}), "qemu-io",
            result);
    if (wrote != writes.size())
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 に書き込めません: qemu-io は %2 か所のうち "
                                                     "%3 か所だけを書き込みました"),
                      {image.string(), std::to_string(writes.size()), std::to_string(wrote)}));
}

} // namespace kv::image
