#include "ReplayCpu.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace kv {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        out.push_back(line.substr(start, end - start));
        at = end;
    }
    return out;
}

template <typename T> bool parseNumber(std::string_view word, int base, T& out) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out, base);
    return ec == std::errc() && end == word.data() + word.size() && !word.empty();
}

std::uint32_t vendorRegister(std::string_view four) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(four[i]);
    return value;
}

} // namespace

RecordedProcessor parseRecordedProcessor(std::string_view text, const std::string& origin) {
    RecordedProcessor rec;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t eol = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(std::min(eol + 1, text.size()));
        ++lineNumber;
        line = line.substr(0, line.find('#'));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto w = words(line);
        if (w.empty())
            continue;
        const auto fail = [&](const std::string& reason) {
            throw RecordingError(origin + ":" + std::to_string(lineNumber) + ": " + reason);
        };
        if (w[0] == "cpuid") {
            if (w.size() != 2 || (w[1] != "yes" && w[1] != "no"))
                fail("\"cpuid\" takes yes or no");
            rec.idBitToggles = w[1] == "yes";
        } else if (w[0] == "vendor") {
            if (w.size() != 2 || w[1].size() != 12)
                fail("\"vendor\" takes a text of 12 characters");
            CpuidResult& leaf0 = rec.leaves[0];
            leaf0.ebx = vendorRegister(w[1].substr(0, 4));
            leaf0.edx = vendorRegister(w[1].substr(4, 4));
            leaf0.ecx = vendorRegister(w[1].substr(8, 4));
        } else if (w[0] == "leaf") {
            std::uint32_t leaf = 0;
            std::uint32_t regs[4] = {};
            if (w.size() != 6 || !parseNumber(w[1], 10, leaf))
                fail("\"leaf\" takes a leaf number and four registers EAX EBX ECX EDX");
            for (int i = 0; i < 4; ++i)
                if (!parseNumber(w[2 + i], 16, regs[i]))
                    fail("register " + std::string(w[2 + i]) + " is not 32-bit hexadecimal");
            rec.leaves[leaf] = CpuidResult{regs[0], regs[1], regs[2], regs[3]};
        } else if (w[0] == "tsc") {
            rec.counterReadings.clear();
            rec.counterStep = 0;
            for (std::size_t i = 1; i < w.size(); ++i) {
                const bool isStep = w[i].front() == '+';
                std::uint64_t value = 0;
                if (!parseNumber(isStep ? w[i].substr(1) : w[i], 10, value))
                    fail("counter value " + std::string(w[i]) + " is not a number");
                if (isStep && i + 1 != w.size())
                    fail("the step \"+n\" comes last");
                if (isStep)
                    rec.counterStep = value;
                else
                    rec.counterReadings.push_back(value);
            }
        } else {
            fail("unknown line \"" + std::string(w[0]) + "\"");
        }
    }
    return rec;
}

RecordedProcessor loadRecordedProcessor(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw RecordingError(file.string() + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return parseRecordedProcessor(text.str(), file.string());
}

bool ReplayCpu::idBitToggles() {
    return m_recording.idBitToggles;
}

CpuidResult ReplayCpu::cpuid(std::uint32_t eax) {
    ++m_cpuidCount;
    if (!m_recording.idBitToggles)
        return {};
    const auto it = m_recording.leaves.find(eax);
    return it == m_recording.leaves.end() ? CpuidResult{} : it->second;
}

std::uint64_t ReplayCpu::rdtsc() {
    ++m_rdtscCount;
    const auto& readings = m_recording.counterReadings;
    if (m_nextReading < readings.size())
        m_counter = readings[m_nextReading++];
    else if (m_rdtscCount > 1)
        m_counter += m_recording.counterStep;
    return m_counter;
}

} // namespace kv
