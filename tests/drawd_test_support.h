#pragma once

// Speaking the service protocol from tests, and running the real zorlith-drawd binary.
#include "loopback_port.h"
#include "service/protection.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zorlith::testing {

using Json = nlohmann::ordered_json;

inline Json RequestDocument(std::string_view funname, const std::vector<std::string>& params,
                            int32_t rand = 7, std::string_view appid = "112") {
    Json request;
    request["rand"] = std::to_string(rand);
    request["funname"] = funname;
    request["appid"] = appid;
    request["param"] = params;
    return request;
}

// The body of a call carrying any request text, sealed under the exchange key.
inline std::string SealedBody(const std::string& requestText, const std::string& key) {
    return "DATA=" + SealPayload(UrlEscape(requestText), key);
}

// The exchange key carried by a key-exchange reply body, "" when there is none.
inline std::string KeyOfReply(const std::string& replyBody) {
    const Json reply = Json::parse(replyBody, nullptr, false);
    if (!reply.is_object() || reply.value("errcode", "") != "0" || !reply["data"].is_string()) {
        return "";
    }
    return OpenExchangeKey(reply["data"].get<std::string>()).value_or("");
}

// The protected data member of a reply body, opened and parsed; discarded JSON when it fails.
inline Json OpenedData(const std::string& replyBody, int32_t rand) {
    const Json reply = Json::parse(replyBody, nullptr, false);
    if (!reply.is_object() || !reply["data"].is_string()) {
        return Json(Json::value_t::discarded);
    }
    const auto opened = OpenData(reply["data"].get<std::string>(), rand);
    return opened ? Json::parse(*opened, nullptr, false) : Json(Json::value_t::discarded);
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "drawd-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The real zorlith-drawd as a child process, its stderr in a file; killed at the end.
class DrawdProcess {
public:
    DrawdProcess(std::vector<std::string> args, std::filesystem::path logPath,
                 std::string program = ZORLITH_DRAWD)
        : logPath_(std::move(logPath)) {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(log, STDERR_FILENO);
            std::vector<char*> argv;
            argv.push_back(program.data());
            for (auto& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~DrawdProcess() {
        if (running()) {
            kill(SIGKILL);
            waitExit(std::chrono::seconds(10));
        }
    }
    DrawdProcess(const DrawdProcess&) = delete;
    DrawdProcess& operator=(const DrawdProcess&) = delete;

    bool running() const { return pid_ > 0 && !exitStatus_; }
    pid_t pid() const { return pid_; }
    void kill(int signal) const { ::kill(pid_, signal); }

    // The exit code (128 + signal for a signal), nullopt when it is still running at the limit.
    std::optional<int> waitExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!exitStatus_) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (std::chrono::steady_clock::now() > deadline) {
                return std::nullopt;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return exitStatus_;
    }

    std::string log() const { return ReadWholeFile(logPath_); }

private:
    pid_t pid_ = -1;
    std::filesystem::path logPath_;
    std::optional<int> exitStatus_;
};

// VmRSS of a process in KiB, 0 when unknown.
inline long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Waits until GET /newphase answers, at most `limit`.
inline bool WaitUntilServing(int port, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(1, 0);
        if (const auto reply = client.Get("/newphase"); reply && reply->status == 200) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A client of one running service: every call is a key exchange and the call itself.
class ProtocolClient {
public:
    explicit ProtocolClient(int port) : http_("127.0.0.1", port) {
        http_.set_connection_timeout(5, 0);
        http_.set_read_timeout(10, 0);
    }

    std::optional<httplib::Response> post(const std::string& body) {
        auto reply = http_.Post("/", body, "application/x-www-form-urlencoded");
        if (!reply) {
            return std::nullopt;
        }
        return *reply;
    }
    std::optional<httplib::Response> get(const std::string& path) {
        auto reply = http_.Get(path.c_str());
        if (!reply) {
            return std::nullopt;
        }
        return *reply;
    }

    std::string fetchKey() {
        const auto reply = post("DATA=GETRAND?1700000000");
        return reply ? KeyOfReply(reply->body) : "";
    }

    // The outer reply document of a call made with a fresh key.
    Json call(const Json& request) {
        const std::string key = fetchKey();
        const auto reply = post(SealedBody(request.dump(), key));
        return reply ? Json::parse(reply->body, nullptr, false) : Json(Json::value_t::discarded);
    }

    std::string token() {
        const std::string key = fetchKey();
        const auto reply = post(SealedBody(RequestDocument("init", {}, 42).dump(), key));
        if (!reply) {
            return "";
        }
        const Json init = OpenedData(reply->body, 42);
        return init.is_object() ? init.value("token", "") : "";
    }

    // select_draw's rows text, "" on any failure.
    std::string rows(const std::string& token, int count) {
        const Json reply = call(RequestDocument("select_draw", {token, std::to_string(count)}));
        if (!reply.is_object() || reply.value("errcode", "") != "0" || !reply["data"].is_object()) {
            return "";
        }
        return reply["data"].value("data", "");
    }

private:
    httplib::Client http_;
};

} // namespace zorlith::testing
