#pragma once

#include "draws/draw_history.h"
#include "service/service_endpoint.h"

#include <string>
#include <vector>

namespace zorlith {

// The application configuration from the service's "init".
struct AppConfig {
    std::string userurl;
    std::string drawurl;
    std::string newphase;
    std::string advert1;
    std::string advert2;
    std::string version;
    std::string proupurl;
    // The "payurl" members: names and values, in document order.
    std::vector<std::string> linkTitles{""};
    std::vector<std::string> linkUrls{""};

    bool operator==(const AppConfig&) const = default;
};

// The one object through which the program talks to the cloud application service.
class ServiceClient {
public:
    ServiceClient(HttpTransport& transport, const Clock& clock)
        : transport_(transport), clock_(clock), drawEndpoint_(transport, clock) {}

    void setLastError(std::string text) { lastErrorText_ = std::move(text); }
    std::string lastError() const { return lastErrorText_; }

    // Calls "init" at url; on success takes the configuration and the access token and aims
    // the draw endpoint at the configured draw address. On failure nothing changes but the
    // last error.
    bool init(const std::string& url, int32_t appId);
    void fetchAppConfig(AppConfig& target) const { target = config_; }
    static void parseAppConfig(const JsonValue& reply, AppConfig& target);

    // The pieces of the newest draw and the coming issue ("newestdraw" split at "| |").
    bool newestDraw(std::vector<std::string>& list);
    // The latest `count` draws, one row per line. A text without a row of at least five fields
    // fails with "开奖数据格式错误".
    bool selectDraws(int32_t count, DrawRows& rows);
    // The newest issue number as the latest-issue address answers it; "" on failure.
    std::string latestIssue();

    const std::string& accessToken() const { return accessToken_; }
    void setAccessToken(std::string token) { accessToken_ = std::move(token); }
    const ServiceEndpoint& drawEndpoint() const { return drawEndpoint_; }

private:
    HttpTransport& transport_;
    const Clock& clock_;
    std::string accessToken_;
    std::string lastErrorText_;
    ServiceEndpoint drawEndpoint_;
    ServiceReply initReply_;
    ServiceReply dataReply_;
    std::string latestIssueUrl_;
    AppConfig config_;
};

} // namespace zorlith
