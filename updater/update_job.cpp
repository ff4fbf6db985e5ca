#include "update_job.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zorlith {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::string ErrnoText(int error) {
    return std::strerror(error);
}

std::string Untouched(const std::string& reason) {
    return reason + "。程序未作改动。";
}

// A process other than this one that runs the file `target` refers to.
bool IsRunning(const struct stat& target) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    const std::string self = std::to_string(::getpid());
    bool found = false;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos ||
            name == self) {
            continue;
        }
        struct stat running {};
        if (::stat(("/proc/" + name + "/exe").c_str(), &running) == 0 &&
            running.st_dev == target.st_dev && running.st_ino == target.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

bool WaitUntilEnded(const struct stat& target, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (IsRunning(target)) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

// The new program's file while it downloads; removed unless it was renamed into place.
class PendingFile {
public:
    explicit PendingFile(const fs::path& executable) {
        std::string pattern =
            (executable.parent_path() / ("." + executable.filename().string() + ".new-XXXXXX"))
                .string();
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ >= 0) {
            path_ = pattern;
        } else {
            error_ = errno;
        }
    }
    ~PendingFile() {
        closeFile();
        if (!path_.empty() && !kept_) {
            ::unlink(path_.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const { return fd_; }
    int error() const { return error_; }
    const std::string& path() const { return path_; }
    void keep() { kept_ = true; }
    // Durable on disk before the rename makes it the program.
    bool finish(mode_t mode) {
        const bool ok = ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
        error_ = ok ? 0 : errno;
        return closeFile() && ok;
    }

private:
    bool closeFile() {
        if (fd_ < 0) {
            return true;
        }
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

    int fd_ = -1;
    int error_ = 0;
    std::string path_;
    bool kept_ = false;
};

// A second name for the old program, so it can be put back after the new one failed to start.
int MakeBackup(const fs::path& executable, const fs::path& backup) {
    ::unlink(backup.c_str());
    if (::link(executable.c_str(), backup.c_str()) == 0) {
        return 0;
    }
    // Some file systems have no hard links: a copy keeps the bytes just as well.
    std::error_code error;
    fs::copy_file(executable, backup, fs::copy_options::overwrite_existing, error);
    return error ? error.value() : 0;
}

enum class StartOutcome { Running, Failed };

// Starts the program in its own session, as the user would, and watches it for a moment: a
// missing library or a crash at start shows as an early exit with a failure status.
StartOutcome StartAndWatch(const fs::path& executable, std::chrono::milliseconds watch,
                           std::string& failure) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, executable.parent_path().c_str());
    std::string program = executable.string();
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        failure = "新版本无法启动：" + ErrnoText(error);
        return StartOutcome::Failed;
    }
    const auto deadline = Clock::now() + watch;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                return StartOutcome::Running;
            }
            failure =
                WIFEXITED(status)
                    ? "新版本启动后立即退出（退出码 " + std::to_string(WEXITSTATUS(status)) + "）"
                    : "新版本启动后立即崩溃（信号 " + std::to_string(WTERMSIG(status)) + "）";
            return StartOutcome::Failed;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return StartOutcome::Running;
}

} // namespace

fs::path BackupPath(const fs::path& executable) {
    return executable.parent_path() / ("." + executable.filename().string() + ".old");
}

UpdateResult RunUpdate(const UpdateRequest& request, const UpdateSettings& settings,
                       UpdateObserver& observer, const std::atomic<bool>* cancel) {
    const fs::path executable = settings.directory / request.executableName;
    struct stat old {};
    if (::stat(executable.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
        return {false, "找不到要更新的程序 " + executable.string() + "，无法更新。"};
    }

    observer.step(UpdateStep::WaitingForExit);
    if (!WaitUntilEnded(old, settings.exitWait)) {
        return {false, Untouched("旧版本程序仍在运行，请关闭它后重新启动程序再更新")};
    }

    observer.step(UpdateStep::Downloading);
    PendingFile pending(executable);
    if (pending.fd() < 0) {
        return {false, Untouched("无法在程序目录 " + settings.directory.string() +
                                 " 中写入新版本：" + ErrnoText(pending.error()))};
    }
    if (const auto problem = DownloadToFile(
            pending.fd(), request.url, settings.limits,
            [&observer](int64_t received, int64_t expected) {
                observer.downloaded(received, expected);
            },
            cancel)) {
        return {false, Untouched("下载新版本失败：" + *problem)};
    }
    if (!pending.finish(old.st_mode & 07777)) {
        return {false, Untouched("无法保存新版本：" + ErrnoText(pending.error()))};
    }

    observer.step(UpdateStep::Checking);
    if (const auto problem = ExecutableProblem(pending.path(), settings.machine)) {
        return {false, Untouched("下载的新版本无法使用：" + *problem)};
    }

    observer.step(UpdateStep::Installing);
    const fs::path backup = BackupPath(executable);
    if (const int error = MakeBackup(executable, backup); error != 0) {
        return {false, Untouched("无法保留旧版本的备份：" + ErrnoText(error))};
    }
    if (::rename(pending.path().c_str(), executable.c_str()) != 0) {
        const int error = errno;
        ::unlink(backup.c_str());
        return {false, Untouched("无法替换程序文件：" + ErrnoText(error))};
    }
    pending.keep();

    observer.step(UpdateStep::Restarting);
    std::string failure;
    if (StartAndWatch(executable, settings.startWatch, failure) == StartOutcome::Failed) {
        if (::rename(backup.c_str(), executable.c_str()) != 0) {
            return {false, failure + "，且无法恢复旧版本：" + ErrnoText(errno) + "。旧版本保存在 " +
                               backup.string() + "。"};
        }
        return {false, failure + "。已恢复旧版本。"};
    }
    ::unlink(backup.c_str());
    return {true, ""};
}

} // namespace zorlith
