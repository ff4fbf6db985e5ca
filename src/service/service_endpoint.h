#pragma once

#include "predict/clock.h"
#include "service/http_transport.h"
#include "service/json_wrappers.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

// How a reply's data member arrives.
enum class ReplyData { Protected, Plain };

// Texts of the failures that a call writes into its reply itself, always with errcode "9999".
inline constexpr std::string_view kLocalErrorCode = "9999";
inline constexpr std::string_view kAccessFailed = "服务器访问失败!";
inline constexpr std::string_view kAccessError = "服务器访问错误!";
inline constexpr std::string_view kDataAccessError = "服务器访问错误!2";

// Performs service calls against one URL: a key exchange, then the protected request.
class ServiceEndpoint {
public:
    ServiceEndpoint(HttpTransport& transport, const Clock& clock)
        : transport_(transport), clock_(clock) {}

    void setTarget(std::string url, int32_t appId);
    const std::string& url() const { return url_; }

    // The parameters are p1..p5 up to the first empty one.
    bool callWith(ServiceReply& reply, std::string_view funname, std::string_view p1,
                  std::string_view p2, std::string_view p3, std::string_view p4,
                  std::string_view p5, ReplyData data);
    // One call. On success the reply holds the result document (the opened data member, or the
    // reply itself when its data is empty); on failure the service's refusal or a local error.
    bool call(ServiceReply& reply, std::string_view funname, const std::vector<std::string>& params,
              ReplyData data);

    static void setLocalError(ServiceReply& reply, std::string_view errcode, std::string_view msg,
                              std::string_view data);
    // The single-use key of one call; "" on failure, explained in the reply.
    std::string fetchExchangeKey(ServiceReply& reply);

    // The call's nonce, 0..9999: the last four digits of uptime plus unixTimeText.
    int32_t makeRand() const;
    // Seconds from 1970-01-01 08:00:00 to the local date-time of the given moment, both read as
    // local times: the Unix time on a clock set to UTC+8.
    static std::string unixTimeText(int64_t unixSeconds);

private:
    HttpTransport& transport_;
    const Clock& clock_;
    std::string url_;
    int32_t appId_ = 0;
};

} // namespace zorlith
