// The seams of the disk-image code: the outside programs it runs (qemu-img, qemu-io) and the file
// calls that decide what a power cut leaves. Tests record and replay both.
#pragma once

#include "AtomicFile.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <system_error>
#include <vector>

namespace kv::image {

// What a program left: its exit status (-1 when it could not start or was killed) and its output.
struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
    std::error_code startError; // the system's reason when it could not be started
};

// Runs a program with an argument vector, never through a shell, and waits for it.
class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    virtual ProgramResult run(const std::vector<std::string>& argv) = 0;
};

// The real one: the program is looked up in PATH, its input is /dev/null.
class SystemProgramRunner final : public ProgramRunner {
public:
    ProgramResult run(const std::vector<std::string>& argv) override;
};

// Starts argv's program, looked up in PATH, with its input from /dev/null and its output and errors
// into the given descriptors, without waiting for it. The program is killed when the thread that
// started it ends, with Kavendel killed, say. Returns its process id, or 0 with errno set.
pid_t startProgram(const std::vector<std::string>& argv, int outFd, int errFd);

// An empty member is the real thing, as with FileCalls.
struct ImageCalls {
    ProgramRunner* programs = nullptr;
    FileCalls files;
    std::function<int(const char* path)> unlink;

    ProgramResult runProgram(const std::vector<std::string>& argv) const;
    int callUnlink(const char* path) const;
};

} // namespace kv::image
