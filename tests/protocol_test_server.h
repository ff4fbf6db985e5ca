#pragma once

#include <condition_variable>
#include <cstdint>
#include <httplib.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace zorlith::testing_support {

// How the server misbehaves for one kind of request.
enum class Fault {
    None,
    Http500Html,     // status 500 with an HTML page
    EmptyBody,       // status 200 without a body
    NotJson,         // a body that is not JSON
    ErrcodeOne,      // {"errcode":"1","msg":"测试服务拒绝","data":""}
    DataDoesNotOpen, // errcode "0", but the data member is not a hex text / not JSON
    DataNotJson,     // the data member opens, but to a text that is not JSON
    NeverAnswer,     // the request is read and never answered (until the server stops)
};

// A row of a failure table: the fault the server plays for `target` ("GETRAND" or a function
// name) and the text the user reads.
struct InitFailureRow {
    std::string name;
    std::string target;
    Fault fault;
    std::string message;
};

inline void PrintTo(const InitFailureRow& row, std::ostream* out) {
    *out << row.name;
}

// One request as the server saw it.
struct Exchange {
    std::string kind; // "GETRAND", the funname, "GET <path>", or "refused"
    std::string body;
    nlohmann::json request; // the opened request of a call
    httplib::Headers headers;
};

// A real HTTP server on a free loopback port that speaks the cloud service protocol with the
// shared secrets: key exchange, "init", "select_draw", "newestdraw" at "/", the latest-issue
// text at "/newphase". It holds a run of simulated draws and misbehaves on demand.
class ProtocolTestServer {
public:
    static constexpr const char* kToken = "tok-5e1f";
    static constexpr const char* kRefusalMsg = "测试服务拒绝";

    // `draws` simulated draws; the coming issue is due `comingInSeconds` from now. Listens on
    // `port`, or on a free one when it is 0; see listening().
    explicit ProtocolTestServer(int draws = 60, int64_t comingInSeconds = -1, int port = 0);
    ~ProtocolTestServer();
    ProtocolTestServer(const ProtocolTestServer&) = delete;
    ProtocolTestServer& operator=(const ProtocolTestServer&) = delete;

    int port() const { return port_; }
    bool listening() const { return port_ > 0; }
    std::string url(const std::string& path = "/") const;

    // `target`: "GETRAND", "init", "select_draw", "newestdraw" or "newphase".
    void setFault(const std::string& target, Fault fault);
    void setVersion(const std::string& version);
    // Replaces the rows text that select_draw answers ("" for none at all).
    void setRowsText(const std::string& rows);
    // Adds a member to the init document (after the standard ones).
    void setInitMember(const std::string& name, nlohmann::ordered_json value);
    // A new newest draw; the coming issue is due `comingInSeconds` from now.
    void addDraw(int64_t comingInSeconds = -1);

    std::string newestIssue() const;
    std::string newestNumbers() const;
    std::vector<Exchange> exchanges() const;
    std::vector<std::string> kinds() const;

private:
    struct Draw {
        std::string issue;
        std::string time;
        std::string numbers;
        int32_t seed;
    };

    void handlePost(const httplib::Request& request, httplib::Response& response);
    void handleLatestIssue(const httplib::Request& request, httplib::Response& response);
    // True when the fault answered the request (or left it unanswered).
    bool applyFault(const std::string& target, httplib::Response& response, bool plainData);
    void answerCall(const nlohmann::json& call, httplib::Response& response);
    std::string rowsText(size_t count) const;
    std::string newestText() const;
    void record(Exchange exchange);

    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopped_ = false;
    std::map<std::string, Fault> faults_;
    std::vector<std::string> keys_;
    std::vector<Draw> draws_; // oldest first
    std::string comingTime_;
    std::string version_ = "1.15";
    std::optional<std::string> rowsOverride_;
    nlohmann::ordered_json extraInit_ = nlohmann::ordered_json::object();
    std::vector<Exchange> exchanges_;
    int keyCounter_ = 0;

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// A local date-time text "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText(int64_t unixSeconds);

} // namespace zorlith::testing_support
