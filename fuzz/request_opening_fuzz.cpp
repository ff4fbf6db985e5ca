// Feeds arbitrary bytes to the service's request path. The first byte picks how the rest is
// delivered: 0 as the raw body, 1 as a request text sealed under a fresh exchange key (the JSON
// request and the functions), 2 as "DATA=" + the rest while a key is outstanding. Every answer
// must be a 413 or a JSON reply whose errcode is a text and whose msg explains a refusal.
#include "service/protection.h"
#include "service_protocol.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using zorlith::ServiceProtocol;

constexpr int64_t kUnixNow = 1765436523;

struct Service {
    Service() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "drawd-fuzz-XXXXXX").string();
        directory = ::mkdtemp(pattern.data());
        std::string error;
        store = zorlith::DrawStore::Open((directory / "draws.sqlite").string(), error);
        book = std::make_unique<zorlith::DrawBook>(*store, 300);
        book->seedFreshHistory(kUnixNow, error);
        tokens = std::make_unique<zorlith::TokenBook>(*store);
    }
    ~Service() {
        tokens.reset();
        book.reset();
        store.reset();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    std::filesystem::path directory;
    std::unique_ptr<zorlith::DrawStore> store;
    std::unique_ptr<zorlith::DrawBook> book;
    std::unique_ptr<zorlith::TokenBook> tokens;
};

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string KeyOf(const zorlith::ServiceAnswer& answer) {
    const auto reply = nlohmann::json::parse(answer.body);
    return zorlith::OpenExchangeKey(reply["data"].get<std::string>()).value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Service service;
    if (size == 0) {
        return 0;
    }
    // Fresh keys for every input, so that each input stands on its own.
    zorlith::ExchangeKeys keys;
    const ServiceProtocol protocol(*service.book, keys, *service.tokens,
                                   {"http://127.0.0.1:19200", "1.15", ""});
    const auto now = std::chrono::steady_clock::now();
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string body;
    switch (data[0] % 3) {
    case 0:
        body = rest;
        break;
    case 1: {
        const std::string key = KeyOf(protocol.answer("fuzz", "DATA=GETRAND?1", now, kUnixNow));
        body = "DATA=" + zorlith::SealPayload(zorlith::UrlEscape(rest), key);
        break;
    }
    default:
        protocol.answer("fuzz", "DATA=GETRAND?1", now, kUnixNow);
        body = "DATA=" + rest;
        break;
    }
    const zorlith::ServiceAnswer answer = protocol.answer("fuzz", body, now, kUnixNow);
    if (answer.status == 413) {
        Check(body.size() > ServiceProtocol::kMaxBody);
        return 0;
    }
    Check(answer.status == 200);
    const auto reply = nlohmann::json::parse(answer.body, nullptr, false);
    Check(reply.is_object() && reply["errcode"].is_string() && reply["msg"].is_string());
    const bool served = reply["errcode"] == "0";
    Check(served == answer.refusal.empty());
    Check(served || !reply["msg"].get<std::string>().empty());
    return 0;
}
