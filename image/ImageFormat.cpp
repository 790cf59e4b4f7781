#include "ImageFormat.h"

#include "DiskImage.h"
#include "RawFile.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

namespace kv::image {

namespace {

struct Magic {
    const char* format;
    std::uint64_t offset;
    bool fromEnd;
    std::string_view bytes;
};

// A dynamic VHD starts with a copy of its footer; a fixed one has it only as its last sector. A
// VMDK is a sparse extent (VMware's and VirtualBox's single file) or a text descriptor naming
// its extents; a VHDX (Hyper-V) starts with its file type identifier.
constexpr std::array<Magic, 7> Magics{{
    {"qcow2", 0, false, std::string_view("QFI\xfb", 4)},
    {"vdi", 64, false, std::string_view("\x7f\x10\xda\xbe", 4)},
    {"vpc", 0, false, "conectix"},
    {"vpc", 512, true, "conectix"},
    {"vmdk", 0, false, "KDMV"},
    {"vmdk", 0, false, "# Disk DescriptorFile"},
    {"vhdx", 0, false, "vhdxfile"},
}};

std::string formatByMagic(const RawFile& file) {
    for (const Magic& magic : Magics) {
        if (file.size() < magic.offset + magic.bytes.size() || (magic.fromEnd && file.size() < magic.offset))
            continue;
        const std::uint64_t at = magic.fromEnd ? file.size() - magic.offset : magic.offset;
        if (file.readAt(at, magic.bytes.size()) == magic.bytes)
            return magic.format;
    }
    return "raw";
}

std::uint64_t bigEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (const char c : bytes)
        value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

// qemu's own message for a missing backing file names the overlay, not the file that is gone.
void checkBackingFile(const std::filesystem::path& image, const RawFile& file) {
    if (file.size() < 20)
        return;
    const std::string header = file.readAt(0, 20);
    const std::uint64_t offset = bigEndian(std::string_view(header).substr(8, 8));
    const std::uint64_t length = bigEndian(std::string_view(header).substr(16, 4));
    if (offset == 0 || length == 0 || length > 1023 || offset + length > file.size())
        return;
    const std::string name = file.readAt(offset, length);
    if (name.find(':') != std::string::npos)
        return; // a protocol or json: name that only qemu can judge
    std::filesystem::path backing(name);
    if (backing.is_relative())
        backing = image.parent_path() / backing;
    std::error_code ec;
    if (!std::filesystem::exists(backing, ec))
        throw Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 のバッキングファイル %2 がありません。"
                                                               "イメージが期待する場所に戻してください。"),
                                {image.string(), name}));
}

std::uint64_t virtualSizeFromQemu(const std::filesystem::path& image, const std::string& format,
                                  const ImageCalls& calls) {
    const ProgramResult info =
        calls.runProgram({"qemu-img", "info", "-U", "-f", format, "--output=json",
                          std::filesystem::absolute(image).string()}); // never taken for a protocol
    if (info.status != 0)
        throw programFailure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を %2 イメージとして読めません"),
                                       {image.string(), formatShownName(format)}),
                             "qemu-img", info);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(info.out)).object();
    const qint64 size = json.value(QStringLiteral("virtual-size")).toInteger(-1);
    if (size < 0)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "qemu-img が %1 のディスクの大きさを返しませんでした"),
                      {image.string()}));
    return static_cast<std::uint64_t>(size);
}

} // namespace

std::string formatShownName(std::string_view qemuFormat) {
    if (qemuFormat == "vpc")
        return "VHD";
    if (qemuFormat == "qcow2" || qemuFormat == "raw")
        return std::string(qemuFormat);
    std::string upper(qemuFormat);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

Failure programFailure(const Message& what, const std::string& program, const ProgramResult& result) {
    if (result.startError)
        return Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 を起動できません。"
                                                                "Debian のパッケージ qemu-utils が必要です"),
                                 {program}),
                       result.startError)
            .within(what);
    std::string text = result.err;
    while (!text.empty() && (text.back() == '\n' || text.back() == '.'))
        text.pop_back();
    text = text.substr(text.find_last_of('\n') + 1);
    for (const std::string_view prefix : {"qemu-img: ", "qemu-io: "})
        if (text.starts_with(prefix))
            text.erase(0, prefix.size());
    if (text.empty())
        return Failure(imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 が終了ステータス %2 で失敗しました"),
                                 {program, std::to_string(result.status)}))
            .within(what);
    return Failure(Message::verbatim(text)).within(what);
}

std::string qemuOptionValue(const std::filesystem::path& file) {
    std::string value;
    for (const char c : file.string()) {
        value += c;
        if (c == ',')
            value += ',';
    }
    return value;
}

ImageInfo probeImage(const std::filesystem::path& image, const ImageCalls& calls) {
    const RawFile file = RawFile::openForReading(image);
    if (file.size() == 0)
        throw Failure(
            imageText(QT_TRANSLATE_NOOP("DiskImage", "%1 は空のファイルで、ディスクを含んでいません"),
                      {image.string()}));
    ImageInfo info{formatByMagic(file), file.size()};
    if (info.format == "qcow2")
        checkBackingFile(image, file);
    if (info.format != "raw")
        info.virtualSize = virtualSizeFromQemu(image, info.format, calls);
    return info;
}

} // namespace kv::image
