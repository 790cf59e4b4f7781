// ReplayCpu: a recorded processor played back through the CPU seam, so tests and users can
// run the program as if on another machine.
//
// A recording is a small text file, one fact a line; "#" starts a comment:
//
//   cpuid yes                  whether the flags register's ID bit toggles (yes/no)
//   vendor GenuineIntel        the 12-character vendor text: EBX, EDX, ECX of leaf 0
//   leaf 0 00000002 756e6547 6c65746e 49656e69
//   leaf 1 00000543 00000000 00000000 008001bf
//                              CPUID leaf n: EAX EBX ECX EDX in hexadecimal
//   tsc 1000 2000 +500         counter readings in turn, then on by the step after "+"
//
// Leaves that are not recorded read as four zero registers. Without CPUID ("cpuid no")
// every leaf reads as zero whatever is recorded, so the processor looks like one that
// reports no leaf above 0. Without a "tsc" line the counter stays at 0. Numbers in "tsc"
// are decimal, or hexadecimal after "0x".
#pragma once

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
    std::uint64_t counterStep = 0;              // added to the last reading once they run out
};

// A recording that cannot be read; the message names the line: "file:line: reason".
class RecordingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

RecordedProcessor parseRecordedProcessor(std::string_view text, const std::string& origin = "recording");
RecordedProcessor loadRecordedProcessor(const std::filesystem::path& file);

class ReplayCpu final : public CpuInstructions {
public:
    explicit ReplayCpu(RecordedProcessor recording = {})
        : m_recording(std::move(recording)) {}

    bool idBitToggles() override;
    CpuidResult cpuid(std::uint32_t eax) override;
    std::uint64_t rdtsc() override;

    RecordedProcessor& recording() { return m_recording; }
    // How often each instruction ran, so tests can tell whether it ran at all.
    int cpuidCount() const { return m_cpuidCount; }
    int rdtscCount() const { return m_rdtscCount; }

private:
    RecordedProcessor m_recording;
    std::size_t m_nextReading = 0;
    std::uint64_t m_counter = 0;
    int m_cpuidCount = 0;
    int m_rdtscCount = 0;
};

} // namespace kv
