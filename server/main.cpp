// zorlith-drawd: the local cloud application service. Draws on the period's rhythm, kept in
// SQLite; the protected service protocol on "/", the latest issue on "/newphase", the trend page
// on "/page" and the desktop tool's update on "/download/zorlith-pk10".
#include "bounded_server.h"
#include "draw_book.h"
#include "drawd_options.h"
#include "service_protocol.h"
#include "trend_page.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <malloc.h>
#include <memory>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace zorlith {
namespace {

constexpr size_t kWorkerThreads = 64;
constexpr int kUsageExit = 2;
constexpr int kFailureExit = 1;
constexpr size_t kTrendPageDraws = 50;
constexpr int64_t kTokenSweepEvery = 600;

void Log(const std::string& line) {
    std::fprintf(stderr, "zorlith-drawd: %s\n", line.c_str());
}

int64_t UnixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::filesystem::path OwnDirectory() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

// Makes the draws as they fall due and drops expired keys and tokens, until stopped.
class DrawScheduler {
public:
    DrawScheduler(DrawBook& book, ExchangeKeys& keys, TokenBook& tokens)
        : book_(book), keys_(keys), tokens_(tokens) {}

    void run() {
        std::unique_lock lock(mutex_);
        int64_t tokensSweptAt = 0;
        while (!stopping_) {
            std::string error;
            const bool drawn = book_.makeDueDraws(UnixNow(), error) >= 0;
            if (!drawn) {
                Log("开奖写入失败：" + error);
            }
            keys_.sweep(std::chrono::steady_clock::now());
            if (UnixNow() - tokensSweptAt >= kTokenSweepEvery) {
                tokens_.sweep(UnixNow());
                tokensSweptAt = UnixNow();
            }
            const auto now = std::chrono::system_clock::now();
            const auto newest = book_.newest();
            const auto due = std::chrono::system_clock::time_point(
                std::chrono::seconds(newest ? book_.nextDrawTime(*newest) : UnixNow() + 1));
            // Wakes at least every 30 s so that sweeping goes on and clock jumps are noticed; a
            // failed write is retried after a pause rather than in a tight loop.
            const auto wake = drawn ? std::min(due, now + std::chrono::seconds(30))
                                    : now + std::chrono::seconds(5);
            wakeUp_.wait_until(lock, wake, [this] { return stopping_; });
        }
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wakeUp_.notify_all();
    }

private:
    DrawBook& book_;
    ExchangeKeys& keys_;
    TokenBook& tokens_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool stopping_ = false;
};

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

int ImportDraws(DrawBook& book, const std::string& path) {
    std::string text;
    if (!ReadFile(path, text)) {
        Log("无法读取导入文件 " + path);
        return kUsageExit;
    }
    const ImportResult parsed = ParseImport(text);
    if (!parsed.problems.empty()) {
        for (const std::string& problem : parsed.problems) {
            Log("导入文件 " + path + " " + problem);
        }
        Log("导入被拒绝：文件有 " + std::to_string(parsed.problems.size()) +
            " 处错误，未导入任何记录");
        return kUsageExit;
    }
    std::string error;
    if (!book.importHistory(parsed.draws, UnixNow(), error)) {
        Log("导入被拒绝：" + error);
        return kUsageExit;
    }
    Log("已导入 " + std::to_string(parsed.draws.size()) + " 期开奖记录");
    return 0;
}

void ServeDownload(httplib::Response& res) {
    const auto path = OwnDirectory() / "zorlith-pk10";
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        res.status = 404;
        res.set_content("本机没有可供下载的 zorlith-pk10：它应位于 zorlith-drawd 所在的目录 " +
                            path.parent_path().string(),
                        "text/plain; charset=utf-8");
        return;
    }
    auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
    res.set_header("Content-Disposition", "attachment; filename=\"zorlith-pk10\"");
    res.set_content_provider(
        static_cast<size_t>(size), "application/octet-stream",
        [file](size_t offset, size_t length, httplib::DataSink& sink) {
            std::array<char, 65536> chunk{};
            file->seekg(static_cast<std::streamoff>(offset));
            file->read(chunk.data(), static_cast<std::streamsize>(std::min(length, chunk.size())));
            const auto got = file->gcount();
            if (got <= 0) {
                return false;
            }
            return sink.write(chunk.data(), static_cast<size_t>(got));
        });
}

int Run(const DrawdOptions& options) {
    const std::string dbPath = options.dbPath.empty() ? DefaultDbPath() : options.dbPath;
    std::string error;
    auto store = DrawStore::Open(dbPath, error);
    if (!store) {
        Log(error);
        return kFailureExit;
    }
    DrawBook book(*store, options.period);
    if (!options.importPath.empty()) {
        if (const int status = ImportDraws(book, options.importPath); status != 0) {
            return status;
        }
    }
    // The import's buffers go back to the system before the service settles down.
    malloc_trim(0);
    if (!book.seedFreshHistory(UnixNow(), error)) {
        Log("无法写入初始开奖记录：" + error);
        return kFailureExit;
    }
    const int64_t caughtUp = book.makeDueDraws(UnixNow(), error);
    if (caughtUp < 0) {
        Log("补开奖失败：" + error);
        return kFailureExit;
    }

    ExchangeKeys keys;
    TokenBook tokens(*store);
    const std::string publicHost = options.host == "0.0.0.0" ? "127.0.0.1" : options.host;
    ServiceProtocol protocol(book, keys, tokens,
                             {"http://" + publicHost + ":" + std::to_string(options.port),
                              options.announceVersion, options.proupUrl});

    BoundedServer server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // Headers and body leave in separate writes; Nagle would hold the body for an ACK.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    // A content reader takes the body as it is: the library's own form handling would refuse
    // form bodies above 8 KiB and parse them for nothing.
    server.Post("/", [&](const httplib::Request& req, httplib::Response& res,
                         const httplib::ContentReader& reader) {
        std::string body;
        bool tooLarge = false;
        // Beyond the limit the rest of the body is read and dropped, so that memory stays
        // bounded and the connection stays in step for its next request.
        const auto collect = [&](const char* data, size_t length) {
            tooLarge = tooLarge || body.size() + length > ServiceProtocol::kMaxBody;
            if (tooLarge) {
                body.clear();
            } else {
                body.append(data, length);
            }
            return true;
        };
        // A multipart body is never a request; it is read through the library's parser only
        // because the plain reader cannot take it.
        const bool multipart = req.is_multipart_form_data();
        const bool complete =
            multipart ? reader([](const httplib::MultipartFormData&) { return true; }, collect)
                      : reader(collect);
        if (tooLarge) {
            res.status = 413;
            return;
        }
        if (!complete) {
            res.status = 400;
            return;
        }
        if (multipart) {
            const ServiceAnswer refusal =
                Refusal("1004", "请求格式错误：请求体应为 DATA= 开头的文本，而不是 multipart 表单");
            Log("拒绝 " + req.remote_addr + "：" + refusal.refusal);
            res.set_content(refusal.body, "application/json; charset=utf-8");
            return;
        }
        const ServiceAnswer answer =
            protocol.answer(req.remote_addr, body, std::chrono::steady_clock::now(), UnixNow());
        if (!answer.refusal.empty()) {
            Log("拒绝 " + req.remote_addr + "：" + answer.refusal);
        }
        res.status = answer.status;
        res.set_content(answer.body, "application/json; charset=utf-8");
    });
    server.Get("/newphase", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-cache");
        res.set_content(protocol.newestIssueText(), "text/plain");
    });
    server.Get("/page", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-cache");
        res.set_content(RenderTrendPage(book.recent(kTrendPageDraws)), "text/html; charset=utf-8");
    });
    server.Get("/download/zorlith-pk10",
               [](const httplib::Request&, httplib::Response& res) { ServeDownload(res); });
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) {
            return;
        }
        // A request line or header that cannot be read leaves no address behind.
        const std::string client = req.remote_addr.empty() ? "（地址未知）" : req.remote_addr;
        if (res.status == 413) {
            Log("拒绝 " + client + "：413 请求体超过 65536 字节");
            res.set_content("请求体超过 65536 字节", "text/plain; charset=utf-8");
        } else if (res.status == 400) {
            Log("拒绝 " + client + "：400 请求不完整或无法解析");
            res.set_content("请求不完整或无法解析", "text/plain; charset=utf-8");
        } else if (res.status == 404) {
            res.set_content("没有这个地址", "text/plain; charset=utf-8");
        }
    });

    if (!server.bind(options.host, options.port)) {
        Log("无法监听 " + options.host + ":" + std::to_string(options.port) + "（端口已被占用？）");
        return kFailureExit;
    }

    DrawScheduler scheduler(book, keys, tokens);
    std::thread drawing([&] { scheduler.run(); });
    std::atomic<bool> stopSignalled = false;
    std::thread signals([&] {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGINT);
        int signal = 0;
        sigwait(&set, &signal);
        stopSignalled = true;
        server.stop();
    });

    Log("已启动：监听 " + options.host + ":" + std::to_string(options.port) + "，数据库 " + dbPath +
        "，周期 " + std::to_string(options.period) + " 秒，最新期号 " + protocol.newestIssueText() +
        (caughtUp > 0 ? "，补开 " + std::to_string(caughtUp) + " 期" : ""));
    const bool listened = server.listen_after_bind();
    if (!stopSignalled) {
        // Listening ended on its own: wake the signal thread so that it can be joined.
        pthread_kill(signals.native_handle(), SIGTERM);
    }
    signals.join();
    scheduler.stop();
    drawing.join();
    Log(listened ? "已停止" : "监听出错，已停止");
    return listened ? 0 : kFailureExit;
}

} // namespace
} // namespace zorlith

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    // Every thread inherits the mask; only the signal thread takes these signals.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string error;
    const auto options = zorlith::ParseDrawdOptions({argv + 1, argv + argc}, error);
    if (!options) {
        std::fprintf(stderr,
                     "zorlith-drawd: %s\n用法：zorlith-drawd [--listen ADDR:PORT] [--db FILE] "
                     "[--period SECONDS] [--import FILE] [--announce-version V] [--proupurl URL]\n",
                     error.c_str());
        return 2;
    }
    return zorlith::Run(*options);
}
