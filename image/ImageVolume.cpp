// Opening the FAT volume inside an image, and reading it in byte ranges.
#include "DiskImage.h"
#include "FatBootSector.h"
#include "ImageFormat.h"
#include "ImageRanges.h"
#include "PartitionTable.h"

namespace kv::image {

namespace {

class ImageVolume final : public Volume {
public:
    ImageVolume(VolumeLocation location, ImageCalls calls, std::uint64_t bytesRead)
        : m_location(std::move(location))
        , m_calls(std::move(calls)) {
        m_counters.bytesRead = bytesRead;
    }

    const VolumeLocation& location() const override { return m_location; }
    TransferCounters counters() const override { return m_counters; }

    std::string read(std::uint64_t offset, std::size_t length) override {
        return readRanges({{offset, length}}).front();
    }

    std::vector<std::string>
    readRanges(const std::vector<std::pair<std::uint64_t, std::size_t>>& ranges) override {
        std::vector<DiskRange> onDisk;
        for (const auto& [offset, length] : ranges) {
            if (offset > m_location.size || length > m_location.size - offset)
                throw Failure(
                    imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: %2 バイト目から %3 バイト目までは "
                                                             "FAT ボリューム (%4 バイト) の終わりより"
                                                             "先にあります"),
                              {m_location.image.string(), std::to_string(offset),
                               std::to_string(offset + length), std::to_string(m_location.size)}));
            onDisk.push_back({m_location.offset + offset, length});
        }
        return readDiskRanges(m_location.image, m_location.format, onDisk, m_calls, m_counters.bytesRead);
    }

private:
    VolumeLocation m_location;
    ImageCalls m_calls;
    TransferCounters m_counters;
};

// A partition marked FAT may hold anything; its own boot sector must agree.
void checkPartitionVolume(const std::string& name, const VolumeExtent& extent,
                          const std::string& bootSector) {
    const std::string number = std::to_string(extent.partition);
    if (!isFatBootSector(bootSector))
        throw Failure(imageText(
            QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 に FAT ファイルシステムがありません"),
            {name, number}));
    if (fatVolumeBytes(bootSector) > extent.size)
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1: パーティション %2 の FAT ボリュームが"
                                                               "パーティションより大きくなっています。"
                                                               "ボリュームかテーブルが壊れています"),
                                {name, number}));
}

} // namespace

std::unique_ptr<Volume> openVolume(const std::filesystem::path& image, std::optional<int> partition) {
    return openVolume(image, partition, ImageCalls{});
}

std::unique_ptr<Volume> openVolume(const std::filesystem::path& image, std::optional<int> partition,
                                   const ImageCalls& calls) {
    const ImageInfo info = probeImage(image, calls);
    if (info.virtualSize < SectorSize)
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 はディスクを含むには小さすぎます"),
                                {image.string()}));
    std::uint64_t bytesRead = 0;
    const std::string first = readDiskRanges(image, info.format, {{0, SectorSize}}, calls, bytesRead).front();
    const VolumeExtent extent = findVolume(first, info.virtualSize, partition, image.string());
    if (extent.partition != 0)
        checkPartitionVolume(
            image.string(), extent,
            readDiskRanges(image, info.format, {{extent.offset, SectorSize}}, calls, bytesRead).front());
    VolumeLocation location{image, info.format, extent.partition, extent.offset, extent.size, extent.choice};
    return std::make_unique<ImageVolume>(std::move(location), calls, bytesRead);
}

} // namespace kv::image
