// The raw dumps of two CPUID tools: Debian's `cpuid -r` and libcpuid's `cpuid_tool --save`.
// Each parser takes the first processor of the dump and sub-leaf 0 of each leaf.
#include "RecordedProcessor.h"
#include "TextLines.h"

namespace kv {

namespace {

using cpurecord::parseNumber;
using cpurecord::TextLines;
using cpurecord::trimmed;

constexpr std::uint32_t FirstExtendedLeaf = 0x80000000;

void requireLeafZero(const RecordedProcessor& rec, const std::string& origin) {
    if (!rec.leaves.contains(0))
        throw recordingFailure(origin + ": ",
                               QT_TRANSLATE_NOOP("CpuRecording", "ダンプに CPUID のリーフ 0 がありません"));
}

// "eax=0x0000000d" and the like: the register's name, then its value.
bool readRegister(std::string_view word, std::string_view name, std::uint32_t& value) {
    return word.size() > name.size() + 1 && word.substr(0, name.size()) == name && word[name.size()] == '=' &&
           parseNumber(word.substr(name.size() + 1), 16, value);
}

// "   0x00000001 0x00: eax=0x00a00f11 ebx=0x00020800 ecx=0xfffa3203 edx=0x178bfbff"
void readCpuidLine(std::string_view line, RecordedProcessor& rec, const TextLines& lines) {
    const auto w = cpurecord::words(line);
    std::uint32_t leaf = 0;
    std::uint32_t subleaf = 0;
    CpuidResult r;
    if (w.size() != 6 || w[1].back() != ':' || !parseNumber(w[0], 16, leaf) ||
        !parseNumber(w[1].substr(0, w[1].size() - 1), 16, subleaf) || !readRegister(w[2], "eax", r.eax) ||
        !readRegister(w[3], "ebx", r.ebx) || !readRegister(w[4], "ecx", r.ecx) ||
        !readRegister(w[5], "edx", r.edx))
        lines.fail(QT_TRANSLATE_NOOP(
            "CpuRecording", "「0xLEAF 0xSUBLEAF: eax=0x… ebx=0x… ecx=0x… edx=0x…」の形の行ではありません"));
    if (subleaf == 0)
        rec.leaves.emplace(leaf, r);
}

// "basic_cpuid[1]=00a00f11 00020800 fffa3203 178bfbff"; false for the tables of sub-leaves,
// which the program does not read.
bool readCpuidToolLine(std::string_view line, RecordedProcessor& rec, const TextLines& lines) {
    const std::size_t open = line.find('[');
    const std::size_t close = line.find("]=");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        lines.fail(QT_TRANSLATE_NOOP("CpuRecording", "「name[n]=EAX EBX ECX EDX」の形の行ではありません"));
    const std::string_view table = line.substr(0, open);
    std::uint32_t base = 0;
    if (table == "ext_cpuid")
        base = FirstExtendedLeaf;
    else if (table != "basic_cpuid")
        return false;
    std::uint32_t index = 0;
    std::uint32_t regs[4] = {};
    const auto w = cpurecord::words(line.substr(close + 2));
    bool valid = parseNumber(line.substr(open + 1, close - open - 1), 10, index) && w.size() == 4;
    for (std::size_t i = 0; valid && i < 4; ++i)
        valid = parseNumber(w[i], 16, regs[i]);
    if (!valid)
        lines.fail(
            QT_TRANSLATE_NOOP("CpuRecording", "「%1[n]=」と 32 ビットの 16 進数のレジスタ 4 つが必要です"),
            std::string(table));
    rec.leaves.emplace(base + index, CpuidResult{regs[0], regs[1], regs[2], regs[3]});
    return true;
}

} // namespace

RecordedProcessor parseCpuidDump(std::string_view text, const std::string& origin) {
    RecordedProcessor rec;
    TextLines lines(text, origin);
    bool inProcessor = false;
    for (std::string_view line; lines.next(line);) {
        line = trimmed(line);
        if (line.empty())
            continue;
        if (line.starts_with("CPU") && line.back() == ':') {
            if (inProcessor)
                break; // the next processor's leaves
            inProcessor = true;
            continue;
        }
        readCpuidLine(line, rec, lines);
    }
    requireLeafZero(rec, origin);
    return rec;
}

RecordedProcessor parseCpuidToolDump(std::string_view text, const std::string& origin) {
    RecordedProcessor rec;
    TextLines lines(text, origin);
    bool inProcessor = false;
    for (std::string_view line; lines.next(line);) {
        line = trimmed(line);
        if (line.empty() || line.starts_with("version="))
            continue;
        // "_________________ Logical CPU #1 _________________" starts the next processor.
        if (line.front() == '_') {
            if (inProcessor)
                break;
            inProcessor = true;
            continue;
        }
        if (readCpuidToolLine(line, rec, lines))
            inProcessor = true;
    }
    requireLeafZero(rec, origin);
    return rec;
}

} // namespace kv
