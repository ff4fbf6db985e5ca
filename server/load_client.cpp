// Load generator for the benchmark: N concurrent clients, each repeating a full protected call
// (key exchange + call) for a bounded time, then one line of figures on stdout.
#include "draws/number_text.h"
#include "service/protection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;
using SteadyClock = std::chrono::steady_clock;

// The first failure tells what went wrong; the rest only count.
void ReportFirstFailure(const std::string& what) {
    static std::atomic_flag reported;
    if (!reported.test_and_set()) {
        std::fprintf(stderr, "zorlith-drawd-load: first failure: %s\n", what.c_str());
    }
}

struct CallResult {
    bool ok = false;
    Json data;
};

// One protected call; data is opened unless `plain`.
CallResult Call(httplib::Client& client, const std::string& funname,
                const std::vector<std::string>& params, int32_t rand, bool plain) {
    const auto keyReply =
        client.Post("/", "DATA=GETRAND?1700000000", "application/x-www-form-urlencoded");
    if (!keyReply || keyReply->status != 200) {
        ReportFirstFailure(keyReply ? "key exchange: HTTP " + std::to_string(keyReply->status)
                                    : "key exchange: " + httplib::to_string(keyReply.error()));
        return {};
    }
    const Json keyDocument = Json::parse(keyReply->body, nullptr, false);
    if (!keyDocument.is_object() || keyDocument.value("errcode", "") != "0") {
        return {};
    }
    const auto key = zorlith::OpenExchangeKey(keyDocument.value("data", ""));
    if (!key) {
        return {};
    }
    Json request;
    request["rand"] = std::to_string(rand);
    request["funname"] = funname;
    request["appid"] = "112";
    request["param"] = params;
    const std::string body =
        "DATA=" + zorlith::SealPayload(zorlith::UrlEscape(request.dump()), *key);
    const auto reply = client.Post("/", body, "application/x-www-form-urlencoded");
    if (!reply || reply->status != 200) {
        ReportFirstFailure(reply ? "call: HTTP " + std::to_string(reply->status)
                                 : "call: " + httplib::to_string(reply.error()));
        return {};
    }
    const Json document = Json::parse(reply->body, nullptr, false);
    if (!document.is_object() || document.value("errcode", "") != "0") {
        ReportFirstFailure("call: " + reply->body);
        return {};
    }
    if (plain) {
        return {true, document["data"]};
    }
    const auto opened = zorlith::OpenData(document.value("data", ""), rand);
    if (!opened) {
        return {};
    }
    Json data = Json::parse(*opened, nullptr, false);
    return {!data.is_discarded(), data};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: zorlith-drawd-load HOST PORT CLIENTS SECONDS\n");
        return 2;
    }
    const std::string host = argv[1];
    const int port = zorlith::TextToInt(argv[2]);
    const int clients = zorlith::TextToInt(argv[3]);
    const int seconds = zorlith::TextToInt(argv[4]);
    if (port <= 0 || clients <= 0 || seconds <= 0) {
        std::fprintf(stderr, "zorlith-drawd-load: bad arguments\n");
        return 2;
    }

    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    std::atomic<int64_t> failures = 0;
    std::atomic<int> ready = 0;
    std::atomic<bool> go = false;
    SteadyClock::time_point deadline;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            httplib::Client client(host, port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            client.set_connection_timeout(5, 0);
            client.set_read_timeout(5, 0);
            const CallResult init = Call(client, "init", {}, i % 10000, false);
            const std::string token = init.ok ? init.data.value("token", "") : "";
            ++ready;
            while (!go) {
                std::this_thread::yield();
            }
            if (token.empty()) {
                ++failures;
                return;
            }
            auto& mine = latencies[static_cast<size_t>(i)];
            for (int32_t rand = 0; SteadyClock::now() < deadline; rand = (rand + 7) % 10000) {
                const auto start = SteadyClock::now();
                const CallResult result = Call(client, "newestdraw", {token}, rand, false);
                const auto elapsed =
                    std::chrono::duration<double, std::milli>(SteadyClock::now() - start);
                if (result.ok) {
                    mine.push_back(elapsed.count());
                } else {
                    ++failures;
                }
            }
        });
    }
    while (ready < clients) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto start = SteadyClock::now();
    deadline = start + std::chrono::seconds(seconds);
    go = true;
    for (auto& thread : threads) {
        thread.join();
    }
    const double elapsed = std::chrono::duration<double>(SteadyClock::now() - start).count();
    std::vector<double> all;
    for (const auto& mine : latencies) {
        all.insert(all.end(), mine.begin(), mine.end());
    }
    std::sort(all.begin(), all.end());
    auto percentile = [&](double p) {
        return all.empty()
                   ? 0.0
                   : all[std::min(all.size() - 1,
                                  static_cast<size_t>(p * static_cast<double>(all.size())))];
    };
    std::printf(
        "protected newestdraw calls: %zu in %.2f s = %.0f calls/s, p50 %.2f ms, p99 %.2f ms, "
        "failures %lld, clients %d\n",
        all.size(), elapsed, static_cast<double>(all.size()) / elapsed, percentile(0.50),
        percentile(0.99), static_cast<long long>(failures.load()), clients);
    return failures > 0 ? 1 : 0;
}
