#include "ImageCalls.h"

#include "Failure.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
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
