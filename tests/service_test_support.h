#pragma once

#include "predict/clock.h"
#include "service/http_transport.h"
#include "service/protection.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zorlith::testing_support {

// A transport that answers from a script and records every request, for the cases a real
// server cannot be made to produce on purpose (and for counting exchanges exactly).
class ScriptedTransport final : public HttpTransport {
public:
    struct Request {
        std::string method;
        std::string url;
        std::string body;
    };
    // Computes an answer from the request; an empty answer is a failed exchange.
    using Answer = std::function<std::string(const Request&)>;

    void queue(Answer answer) { answers_.push_back(std::move(answer)); }
    void queueText(std::string text) {
        queue([text = std::move(text)](const Request&) { return text; });
    }

    std::string post(const std::string& url, const std::string& body) override {
        return answer(Request{"POST", url, body});
    }
    std::string getUrl(const std::string& url) override { return answer(Request{"GET", url, ""}); }

    const std::vector<Request>& requests() const { return requests_; }

private:
    std::string answer(Request request) {
        requests_.push_back(request);
        if (answers_.empty()) {
            return "";
        }
        Answer next = std::move(answers_.front());
        answers_.pop_front();
        return next(request);
    }

    std::deque<Answer> answers_;
    std::vector<Request> requests_;
};

// The key-exchange reply that hands out `key`.
inline std::string KeyReply(const std::string& key) {
    return R"({"errcode":"0","msg":"","data":")" + SealExchangeKey(key) + R"("})";
}

// The request JSON of a call body sealed with `key`; "" when it does not open.
inline std::string OpenedRequest(const std::string& body, const std::string& key) {
    if (!body.starts_with("DATA=")) {
        return "";
    }
    const auto escaped = OpenPayload(std::string_view(body).substr(5), key);
    const auto text = escaped ? UrlUnescape(*escaped) : std::nullopt;
    return text ? *text : "";
}

// A clock whose wall time and uptime the test sets.
class SettableClock final : public Clock {
public:
    int64_t unixNow() const override { return now_; }
    uint32_t uptimeMs() const override { return uptime_; }
    void setNow(int64_t now) { now_ = now; }
    void advance(int64_t seconds) { now_ += seconds; }
    void setUptime(uint32_t uptime) { uptime_ = uptime; }

private:
    int64_t now_ = 1'700'000'000;
    uint32_t uptime_ = 123'456;
};

} // namespace zorlith::testing_support
