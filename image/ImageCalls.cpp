#include "ImageCalls.h"

#include "Failure.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kv::image {

namespace {

// Reads both pipes to their end together, so that a program filling one never blocks.
void drain(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

pid_t startProgram(const std::vector<std::string>& argv, int outFd, int errFd) {
    if (argv.empty()) {
        errno = EINVAL;
        return 0;
    }
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int failed[2]; // carries the errno of a failed exec back; closes on a successful one
    if (input < 0 || ::pipe2(failed, O_CLOEXEC) != 0) {
        const int error = errno;
        if (input >= 0)
            ::close(input);
        errno = error;
        return 0;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The program dies with Kavendel: a qemu-io killed with it leaves a write cut short, which
        // the journal finishes or undoes, where an orphan would write on while the next run
        // recovers the image. Only calls that are safe after fork() come here.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() == parent && ::dup2(input, 0) == 0 && ::dup2(outFd, 1) == 1 && ::dup2(errFd, 2) == 2)
            ::execvp(args[0], args.data());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(failed[1], &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(input);
    ::close(failed[1]);
    int error = pid < 0 ? forkError : 0;
    if (pid > 0 && ::read(failed[0], &error, sizeof error) == sizeof error)
        ::waitpid(pid, nullptr, 0);
    ::close(failed[0]);
    errno = error;
    return error == 0 ? pid : 0;
}

ProgramResult SystemProgramRunner::run(const std::vector<std::string>& argv) {
    ProgramResult result;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        result.startError = lastSystemReason();
        return result;
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        result.startError = lastSystemReason();
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return result;
    }
    const pid_t pid = startProgram(argv, outPipe[1], errPipe[1]);
    if (pid == 0)
        result.startError = lastSystemReason();
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (pid != 0)
        drain(outPipe[0], errPipe[0], result.out, result.err);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (pid != 0)
        result.status = waitFor(pid);
    return result;
}

ProgramResult ImageCalls::runProgram(const std::vector<std::string>& argv) const {
    if (programs)
        return programs->run(argv);
    SystemProgramRunner system;
    return system.run(argv);
}

int ImageCalls::callUnlink(const char* path) const {
    return unlink ? unlink(path) : ::unlink(path);
}

} // namespace kv::image
