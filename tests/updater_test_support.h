#pragma once

// Temporary program directories, child processes and a running zorlith-drawd for the updater's
// tests. Every wait is bounded.
#include "loopback_port.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <httplib.h>
#include <netinet/in.h>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace zorlith::testing {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline void CopyExecutable(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
}

inline bool IsExecutableFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR);
}

// Checks `done` until it holds or `limit` has passed; answers `done`.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A fresh directory, readable by every user, removed at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "updater-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// A child process with its stderr in a file; killed at the end if it still runs.
class ChildProcess {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> environment;
        // Run as this user and group instead (only when the test runs as root).
        std::optional<std::pair<uid_t, gid_t>> user;
    };

    ChildProcess(const fs::path& program, std::vector<std::string> args, const fs::path& logPath,
                 const Options& options = {})
        : logPath_(logPath) {
        // Everything the child needs is prepared before the fork, so it only calls what is safe
        // between fork and exec in a process with threads.
        std::string path = program.string();
        std::vector<char*> argv{path.data()};
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            environment.emplace_back(*entry);
        }
        for (const auto& [name, value] : options.environment) {
            environment.push_back(name + "=" + value);
        }
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);

        pid_ = ::fork();
        if (pid_ == 0) {
            const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            ::dup2(log, STDERR_FILENO);
            if (options.user &&
                (::setgid(options.user->second) != 0 || ::setuid(options.user->first) != 0)) {
                ::_exit(126);
            }
            ::execve(path.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exitCode_) {
            ::kill(pid_, SIGKILL);
            waitExit(std::chrono::seconds(10));
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit code (128 + signal for a signal); nullopt while it still runs at the limit.
    std::optional<int> waitExit(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        WaitFor(
            [this] {
                int status = 0;
                if (!exitCode_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                }
                return exitCode_.has_value();
            },
            limit);
        return exitCode_;
    }
    void stop() const { ::kill(pid_, SIGTERM); }
    std::string log() const { return ReadBytes(logPath_); }

private:
    pid_t pid_ = -1;
    fs::path logPath_;
    std::optional<int> exitCode_;
};

// The real zorlith-drawd, copied into `directory` so that it serves `served` as its download, and
// announcing version 1.2.
class UpdateService {
public:
    UpdateService(const fs::path& directory, const std::optional<std::string>& served)
        : port_(FreeLoopbackPort()) {
        fs::create_directories(directory);
        CopyExecutable(ZORLITH_DRAWD, directory / "zorlith-drawd");
        if (served) {
            WriteBytes(directory / "zorlith-pk10", *served);
        }
        process_.emplace(directory / "zorlith-drawd",
                         std::vector<std::string>{"--listen", "127.0.0.1:" + std::to_string(port_),
                                                  "--db", (directory / "draws.db").string(),
                                                  "--announce-version", "1.2"},
                         directory / "drawd.log");
        serving_ = WaitFor(
            [this] {
                httplib::Client client("127.0.0.1", port_);
                client.set_connection_timeout(1, 0);
                const auto reply = client.Get("/newphase");
                return reply && reply->status == 200;
            },
            std::chrono::seconds(15));
    }
    ~UpdateService() {
        process_->stop();
        process_->waitExit(std::chrono::seconds(10));
    }
    UpdateService(const UpdateService&) = delete;
    UpdateService& operator=(const UpdateService&) = delete;

    bool serving() const { return serving_; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::string downloadUrl() const { return baseUrl() + "download/zorlith-pk10"; }
    std::string log() const { return process_->log(); }

private:
    int port_;
    std::optional<ChildProcess> process_;
    bool serving_ = false;
};

} // namespace zorlith::testing

namespace zorlith::testing {

// Whether any process runs the file now at `path`.
inline bool SomeProcessRuns(const fs::path& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return false;
    }
    for (const auto& entry : fs::directory_iterator("/proc")) {
        struct stat running {};
        if (::stat((entry.path() / "exe").c_str(), &running) == 0 &&
            running.st_dev == target.st_dev && running.st_ino == target.st_ino) {
            return true;
        }
    }
    return false;
}

} // namespace zorlith::testing
