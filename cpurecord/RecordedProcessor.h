// A processor as recorded: whether the flags register's ID bit toggled, what CPUID answered for
// each leaf, and the counter readings to play back. Three kinds of file hold one, each read by
// a small parser of its own:
//
// - the program's replay format, one fact a line ("#" starts a comment):
//
//     cpuid yes                  whether the flags register's ID bit toggles (yes/no)
//     vendor GenuineIntel        the 12-character vendor text: EBX, EDX, ECX of leaf 0; it may
//                                hold blanks ("Geode by NSC"), and goes in double quotes when
//                                it ends in one ("UMC UMC UMC ")
//     leaf 0 00000002 756e6547 6c65746e 49656e69
//     leaf 1 00000543 00000000 00000000 008001bf
//                                CPUID leaf n: EAX EBX ECX EDX in hexadecimal
//     tsc 1000 2000              counter readings in turn, played one a read
//     clock 166 MHz              the rate (Hz, kHz or MHz) at which the counter then runs on
//                                from its last reading, with the program's millisecond clock
//
//   Numbers in "leaf" (the leaf), "tsc" and "clock" are decimal, or hexadecimal after "0x".
// - the raw dump of Debian's `cpuid -r`: "0xLEAF 0xSUBLEAF: eax=0x… ebx=0x… ecx=0x… edx=0x…"
//   under a "CPU n:" line for each processor;
// - the raw dump that libcpuid's `cpuid_tool --save` writes: "basic_cpuid[n]=EAX EBX ECX EDX"
//   and "ext_cpuid[n]=…" for leaf 0x80000000 + n, one block for each logical processor.
//
// Of a dump with several processors the first is taken, and only sub-leaf 0 of each leaf.
// Neither dump records the counter, so it stands still at 0; so does one with no "clock".
#pragma once

#include "Failure.h"

#include "CpuInstructions.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct RecordedProcessor {
    bool idBitToggles = true;
    std::map<std::uint32_t, CpuidResult> leaves;
    std::vector<std::uint64_t> counterReadings; // played in turn
    std::uint64_t counterHz = 0;                // the rate the counter runs at once they run out
};

// A recording that cannot be read, as a failure of Fault::badUsage: the file given is not one
// this program can replay. where ("file:line: ") leads the reason, a text marked in the context
// "CpuRecording" whose "%1" stands for arg.
Failure recordingFailure(const std::string& where, const char* reason, const std::string& arg = {},
                         std::error_code systemReason = {});

RecordedProcessor parseReplayFormat(std::string_view text, const std::string& origin);
RecordedProcessor parseCpuidDump(std::string_view text, const std::string& origin);
RecordedProcessor parseCpuidToolDump(std::string_view text, const std::string& origin);

// Any of the three, told apart by the first line that is not blank or a comment.
RecordedProcessor parseRecordedProcessor(std::string_view text, const std::string& origin = "recording");
RecordedProcessor loadRecordedProcessor(const std::filesystem::path& file);

} // namespace kv
