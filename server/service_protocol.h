#pragma once

#include "draw_book.h"
#include "exchange_keys.h"
#include "token_book.h"

#include <string>
#include <string_view>

namespace zorlith {

struct ServiceSettings {
    std::string baseUrl; // "http://127.0.0.1:19200", no trailing "/"
    std::string announceVersion = "1.15";
    std::string proupUrl; // empty: the service's own download address
};

// What one POST to the service address is answered with.
struct ServiceAnswer {
    int status = 200;
    std::string body;
    // The errcode and reason of a refusal, for the log; empty when the call was served.
    std::string refusal;
};

// A refusal with its errcode and message, answered with HTTP 200.
ServiceAnswer Refusal(std::string_view errcode, std::string_view msg);

// The key exchange and the calls init, select_draw and newestdraw, independent of HTTP so that
// every byte of a request can be fuzzed.
class ServiceProtocol {
public:
    static constexpr size_t kMaxBody = 65536;

    // The book must hold draws before the first call is answered.
    ServiceProtocol(const DrawBook& book, ExchangeKeys& keys, TokenBook& tokens,
                    ServiceSettings settings);

    // `now` times the exchange keys, `unixNow` the tokens.
    ServiceAnswer answer(const std::string& address, std::string_view body,
                         ExchangeKeys::TimePoint now, int64_t unixNow) const;

    // The digits of the newest issue, "" before the first draw.
    std::string newestIssueText() const;

private:
    ServiceAnswer exchangeKey(const std::string& address, ExchangeKeys::TimePoint now) const;
    std::string initDocument(int64_t unixNow) const;

    const DrawBook& book_;
    ExchangeKeys& keys_;
    TokenBook& tokens_;
    ServiceSettings settings_;
};

} // namespace zorlith
