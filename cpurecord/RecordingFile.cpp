// Which of the three kinds a recording is, and reading one from a file.
#include "RecordedProcessor.h"
#include "TextLines.h"

#include <fstream>
#include <sstream>

namespace kv {

namespace {

enum class Kind { Replay, CpuidDump, CpuidToolDump };

Kind kindOf(std::string_view text) {
    cpurecord::TextLines lines(text, {});
    for (std::string_view line; lines.next(line);) {
        line = cpurecord::trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.starts_with("version=") || line.starts_with("basic_cpuid[") ||
            line.find("Logical CPU") != std::string_view::npos)
            return Kind::CpuidToolDump;
        if (line.starts_with("0x") || (line.starts_with("CPU") && line.back() == ':'))
            return Kind::CpuidDump;
        return Kind::Replay;
    }
    return Kind::Replay;
}

} // namespace

Failure recordingFailure(const std::string& where, const char* reason, const std::string& arg,
                         std::error_code systemReason) {
    return Failure(Message{where, "CpuRecording", reason, {arg}}, systemReason, Fault::badUsage);
}

RecordedProcessor parseRecordedProcessor(std::string_view text, const std::string& origin) {
    switch (kindOf(text)) {
    case Kind::CpuidDump:
        return parseCpuidDump(text, origin);
    case Kind::CpuidToolDump:
        return parseCpuidToolDump(text, origin);
    case Kind::Replay:
        break;
    }
    return parseReplayFormat(text, origin);
}

RecordedProcessor loadRecordedProcessor(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const std::error_code reason = lastSystemReason();
        throw recordingFailure(file.string() + ": ", QT_TRANSLATE_NOOP("CpuRecording", "読めません"), {},
                               reason);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseRecordedProcessor(text.str(), file.string());
}

} // namespace kv
