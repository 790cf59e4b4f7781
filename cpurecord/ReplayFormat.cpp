// The program's own replay format; RecordedProcessor.h describes it.
#include "RecordedProcessor.h"
#include "TextLines.h"

#include <algorithm>
#include <limits>

namespace kv {

namespace {

using cpurecord::parseNumber;
using cpurecord::TextLines;
using cpurecord::trimmed;

constexpr std::size_t VendorLength = 12;

std::uint32_t vendorRegister(std::string_view four) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(four[i]);
    return value;
}

// The line after its keyword: the vendor text as it stands, or between double quotes.
void readVendor(std::string_view rest, RecordedProcessor& rec, const TextLines& lines) {
    std::string_view text = trimmed(rest);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    if (text.size() != VendorLength)
        lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "「vendor」には 12 文字のテキストを指定します "
                                                     "(空白で終わるときは二重引用符で囲みます)"));
    CpuidResult& leaf0 = rec.leaves[0];
    leaf0.ebx = vendorRegister(text.substr(0, 4));
    leaf0.edx = vendorRegister(text.substr(4, 4));
    leaf0.ecx = vendorRegister(text.substr(8, 4));
}

void readIdBit(std::string_view rest, RecordedProcessor& rec, const TextLines& lines) {
    const auto w = cpurecord::words(rest);
    if (w.size() != 1 || (w[0] != "yes" && w[0] != "no"))
        lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "「cpuid」には yes か no を指定します"));
    rec.idBitToggles = w[0] == "yes";
}

void readLeaf(std::string_view rest, RecordedProcessor& rec, const TextLines& lines) {
    const auto w = cpurecord::words(rest);
    std::uint32_t leaf = 0;
    std::uint32_t regs[4] = {};
    if (w.size() != 5 || !parseNumber(w[0], 10, leaf))
        lines.fail(QT_TRANSLATE_NOOP("CpuRecording",
                                     "「leaf」にはリーフ番号と 4 つのレジスタ EAX EBX ECX EDX を指定します"));
    for (int i = 0; i < 4; ++i)
        if (!parseNumber(w[1 + i], 16, regs[i]))
            lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "レジスタ %1 は 32 ビットの 16 進数ではありません"),
                       std::string(w[1 + i]));
    rec.leaves[leaf] = CpuidResult{regs[0], regs[1], regs[2], regs[3]};
}

void readCounter(std::string_view rest, RecordedProcessor& rec, const TextLines& lines) {
    rec.counterReadings.clear();
    for (const std::string_view word : cpurecord::words(rest)) {
        std::uint64_t value = 0;
        if (!parseNumber(word, 10, value))
            lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "カウンタの値 %1 は数値ではありません"),
                       std::string(word));
        rec.counterReadings.push_back(value);
    }
}

void readClock(std::string_view rest, RecordedProcessor& rec, const TextLines& lines) {
    constexpr std::pair<std::string_view, std::uint64_t> Units[] = {
        {"Hz", 1}, {"kHz", 1000}, {"MHz", 1000000}};
    const auto w = cpurecord::words(rest);
    std::uint64_t value = 0;
    const auto unit = std::find_if(std::begin(Units), std::end(Units),
                                   [&](const auto& u) { return w.size() == 2 && w[1] == u.first; });
    if (unit == std::end(Units) || !parseNumber(w[0], 10, value) || value == 0 ||
        value > std::numeric_limits<std::uint32_t>::max())
        lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "「clock」には周波数と単位を指定します (例: 166 MHz)"));
    rec.counterHz = value * unit->second;
}

struct Keyword {
    std::string_view word;
    void (*read)(std::string_view rest, RecordedProcessor& rec, const TextLines& lines);
};

constexpr Keyword Keywords[] = {
    {"cpuid", readIdBit}, {"vendor", readVendor}, {"leaf", readLeaf},
    {"tsc", readCounter}, {"clock", readClock},
};

} // namespace

RecordedProcessor parseReplayFormat(std::string_view text, const std::string& origin) {
    RecordedProcessor rec;
    TextLines lines(text, origin);
    for (std::string_view line; lines.next(line);) {
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const std::string_view word = line.substr(0, std::min(line.find_first_of(" \t"), line.size()));
        const Keyword* keyword = nullptr;
        for (const Keyword& k : Keywords)
            if (k.word == word)
                keyword = &k;
        if (!keyword)
            lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "不明な行「%1」"), std::string(word));
        keyword->read(line.substr(word.size()), rec, lines);
    }
    return rec;
}

} // namespace kv
