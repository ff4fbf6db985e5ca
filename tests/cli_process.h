#pragma once

#include <chrono>
#include <functional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zorlith::testing_support {

struct ProcessResult {
    int exitCode = -1; // -1 when it had to be killed
    std::string out;
    std::string err;
};

// Runs a program with its output captured. `watch` sees the output so far after every read
// and may send the process a signal by returning it (0 for none). The process is killed when
// it outlives `limit`, so a test never hangs.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                std::chrono::seconds limit,
                                const std::function<int(const std::string&)>& watch = {}) {
    int outPipe[2];
    int errPipe[2];
    ProcessResult result;
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool outOpen = true;
    bool errOpen = true;
    bool signalled = false;
    bool killed = false;
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(child, SIGKILL);
            killed = true;
            break;
        }
        pollfd fds[2] = {{outOpen ? outPipe[0] : -1, POLLIN, 0},
                         {errOpen ? errPipe[0] : -1, POLLIN, 0}};
        poll(fds, 2, static_cast<int>(std::min<int64_t>(left.count(), 200)));
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) {
                continue;
            }
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(got));
            }
        }
        if (watch && !signalled) {
            if (const int signal = watch(result.out); signal != 0) {
                kill(child, signal);
                signalled = true;
            }
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!killed && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

} // namespace zorlith::testing_support
