#include "protocol_test_server.h"

#include "draws/number_text.h"
#include "service/protection.h"

#include <chrono>
#include <ctime>

namespace zorlith::testing_support {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr int64_t kPeriod = 300;

std::string ErrorReply(const std::string& errcode, const std::string& msg) {
    return OrderedJson{{"errcode", errcode}, {"msg", msg}, {"data", ""}}.dump();
}

std::string NumbersFor(int64_t issue) {
    // A deterministic permutation of 1..10 for every issue.
    int values[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    uint32_t state = static_cast<uint32_t>(issue) * 2654435761U + 12345U;
    for (int i = 9; i > 0; --i) {
        state = state * 1103515245U + 12345U;
        const int j = static_cast<int>((state >> 16) % static_cast<uint32_t>(i + 1));
        std::swap(values[i], values[j]);
    }
    std::string text;
    for (int i = 0; i < 10; ++i) {
        if (i > 0) {
            text += ",";
        }
        text += (values[i] < 10 ? "0" : "") + std::to_string(values[i]);
    }
    return text;
}

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string LocalTimeText(int64_t unixSeconds) {
    const auto moment = static_cast<time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&moment, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

ProtocolTestServer::ProtocolTestServer(int draws, int64_t comingInSeconds, int port) {
    const int64_t coming = Now() + comingInSeconds;
    for (int i = 0; i < draws; ++i) {
        const int64_t issue = 556300 + i;
        draws_.push_back(Draw{std::to_string(issue), LocalTimeText(coming - kPeriod * (draws - i)),
                              NumbersFor(issue), static_cast<int32_t>(7919 * (i + 1))});
    }
    comingTime_ = LocalTimeText(coming);

    server_.Post("/", [this](const httplib::Request& request, httplib::Response& response) {
        handlePost(request, response);
    });
    server_.Get("/newphase", [this](const httplib::Request& request, httplib::Response& response) {
        handleLatestIssue(request, response);
    });
    if (port == 0) {
        port_ = server_.bind_to_any_port("127.0.0.1");
    } else {
        port_ = server_.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (port_ <= 0) {
        return;
    }
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; i < 500 && !server_.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ProtocolTestServer::~ProtocolTestServer() {
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    stopping_.notify_all();
    server_.stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string ProtocolTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void ProtocolTestServer::setFault(const std::string& target, Fault fault) {
    const std::lock_guard lock(mutex_);
    faults_[target] = fault;
}

void ProtocolTestServer::setVersion(const std::string& version) {
    const std::lock_guard lock(mutex_);
    version_ = version;
}

void ProtocolTestServer::setRowsText(const std::string& rows) {
    const std::lock_guard lock(mutex_);
    rowsOverride_ = rows;
}

void ProtocolTestServer::setInitMember(const std::string& name, OrderedJson value) {
    const std::lock_guard lock(mutex_);
    extraInit_[name] = std::move(value);
}

void ProtocolTestServer::addDraw(int64_t comingInSeconds) {
    const std::lock_guard lock(mutex_);
    const int64_t issue = std::stoll(draws_.back().issue) + 1;
    draws_.push_back(Draw{std::to_string(issue), comingTime_, NumbersFor(issue),
                          static_cast<int32_t>(issue % 100000 + 1)});
    comingTime_ = LocalTimeText(Now() + comingInSeconds);
}

std::string ProtocolTestServer::newestIssue() const {
    const std::lock_guard lock(mutex_);
    return draws_.back().issue;
}

std::string ProtocolTestServer::newestNumbers() const {
    const std::lock_guard lock(mutex_);
    return draws_.back().numbers;
}

std::vector<Exchange> ProtocolTestServer::exchanges() const {
    const std::lock_guard lock(mutex_);
    return exchanges_;
}

std::vector<std::string> ProtocolTestServer::kinds() const {
    std::vector<std::string> kinds;
    for (const Exchange& exchange : exchanges()) {
        kinds.push_back(exchange.kind);
    }
    return kinds;
}

void ProtocolTestServer::record(Exchange exchange) {
    const std::lock_guard lock(mutex_);
    exchanges_.push_back(std::move(exchange));
}

bool ProtocolTestServer::applyFault(const std::string& target, httplib::Response& response,
                                    bool plainData) {
    Fault fault = Fault::None;
    {
        const std::lock_guard lock(mutex_);
        const auto found = faults_.find(target);
        if (found != faults_.end()) {
            fault = found->second;
        }
    }
    switch (fault) {
    case Fault::None:
        return false;
    case Fault::Http500Html:
        response.status = 500;
        response.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>",
                             "text/html");
        return true;
    case Fault::EmptyBody:
        response.status = 200;
        return true;
    case Fault::NotJson:
        response.set_content("this is not json", "text/plain");
        return true;
    case Fault::ErrcodeOne:
        response.set_content(ErrorReply("1", kRefusalMsg), "application/json");
        return true;
    case Fault::DataDoesNotOpen:
        response.set_content(OrderedJson{{"errcode", "0"},
                                         {"msg", ""},
                                         {"data", plainData ? "not json" : "XYZ-not-hex"}}
                                 .dump(),
                             "application/json");
        return true;
    case Fault::DataNotJson:
        return false; // answered by answerCall, which seals a text that is not JSON
    case Fault::NeverAnswer: {
        std::unique_lock lock(mutex_);
        stopping_.wait_for(lock, std::chrono::seconds(60), [this] { return stopped_; });
        response.status = 500;
        return true;
    }
    }
    return false;
}

void ProtocolTestServer::handleLatestIssue(const httplib::Request& request,
                                           httplib::Response& response) {
    record(Exchange{"GET " + request.path, "", {}, request.headers});
    if (applyFault("newphase", response, true)) {
        return;
    }
    response.set_content(newestIssue(), "text/plain");
}

void ProtocolTestServer::handlePost(const httplib::Request& request, httplib::Response& response) {
    const std::string& body = request.body;
    if (body.starts_with("DATA=GETRAND?")) {
        record(Exchange{"GETRAND", body, {}, request.headers});
        if (applyFault("GETRAND", response, true)) {
            return;
        }
        std::string key;
        {
            const std::lock_guard lock(mutex_);
            key = "K" + std::to_string(++keyCounter_) + "x9Qz7Lm2Pw4Rt6Y";
            key.resize(16);
            keys_.push_back(key);
        }
        response.set_content(
            OrderedJson{{"errcode", "0"}, {"msg", ""}, {"data", SealExchangeKey(key)}}.dump(),
            "application/json");
        return;
    }

    std::optional<Json> call;
    if (body.starts_with("DATA=")) {
        const std::lock_guard lock(mutex_);
        for (auto key = keys_.rbegin(); key != keys_.rend() && !call; ++key) {
            const auto escaped = OpenPayload(std::string_view(body).substr(5), *key);
            const auto text = escaped ? UrlUnescape(*escaped) : std::nullopt;
            if (!text) {
                continue;
            }
            Json parsed = Json::parse(*text, nullptr, false);
            if (parsed.is_object() && parsed.contains("funname")) {
                call = std::move(parsed);
                keys_.erase(std::next(key).base());
            }
        }
    }
    if (!call) {
        record(Exchange{"refused", body, {}, request.headers});
        response.set_content(ErrorReply("1004", "请求无法解开"), "application/json");
        return;
    }
    const std::string funname = call->value("funname", "");
    record(Exchange{funname, body, *call, request.headers});
    if (applyFault(funname, response, funname == "select_draw")) {
        return;
    }
    answerCall(*call, response);
}

void ProtocolTestServer::answerCall(const Json& call, httplib::Response& response) {
    const std::string funname = call.value("funname", "");
    const int32_t rand = TextToInt(call.value("rand", ""));
    const Json params = call.value("param", Json::array());
    bool dataNotJson = false;
    {
        const std::lock_guard lock(mutex_);
        const auto found = faults_.find(funname);
        dataNotJson = found != faults_.end() && found->second == Fault::DataNotJson;
    }
    const auto protectedReply = [&](const OrderedJson& inner) {
        const std::string text = dataNotJson ? "{not json" : inner.dump();
        return OrderedJson{{"errcode", "0"}, {"msg", "成功"}, {"data", SealData(text, rand)}}
            .dump();
    };
    const bool tokenOk = !params.empty() && params[0] == kToken;

    if (funname == "init") {
        OrderedJson document;
        {
            const std::lock_guard lock(mutex_);
            document = OrderedJson{{"userurl", url("/user")},
                                   {"drawurl", url("/")},
                                   {"newphase", url("/newphase")},
                                   {"advert1", url("/page")},
                                   {"advert2", ""},
                                   {"version", version_},
                                   {"proupurl", url("/download/zorlith-pk10")},
                                   {"payurl", OrderedJson{{"走势图", "http://127.0.0.1/trend"},
                                                          {"使用说明", "http://127.0.0.1/help"}}},
                                   {"token", kToken}};
            for (const auto& [name, value] : extraInit_.items()) {
                document[name] = value;
            }
        }
        response.set_content(protectedReply(document), "application/json");
    } else if (funname == "select_draw") {
        if (!tokenOk) {
            response.set_content(ErrorReply("1003", "令牌无效"), "application/json");
            return;
        }
        const int32_t count = params.size() > 1 ? TextToInt(params[1].get<std::string>()) : 0;
        std::string rows;
        {
            const std::lock_guard lock(mutex_);
            rows = rowsOverride_ ? *rowsOverride_ : rowsText(static_cast<size_t>(count));
        }
        const OrderedJson data =
            dataNotJson ? OrderedJson("{not json") : OrderedJson{{"data", rows}};
        response.set_content(OrderedJson{{"errcode", "0"}, {"msg", "成功"}, {"data", data}}.dump(),
                             "application/json");
    } else if (funname == "newestdraw") {
        if (!tokenOk) {
            response.set_content(ErrorReply("1003", "令牌无效"), "application/json");
            return;
        }
        std::string text;
        {
            const std::lock_guard lock(mutex_);
            text = newestText();
        }
        response.set_content(protectedReply(OrderedJson{{"data", text}}), "application/json");
    } else {
        response.set_content(ErrorReply("1001", "未知的功能"), "application/json");
    }
}

std::string ProtocolTestServer::rowsText(size_t count) const {
    std::string rows;
    for (size_t i = 0; i < count && i < draws_.size(); ++i) {
        const Draw& draw = draws_[draws_.size() - 1 - i];
        if (i > 0) {
            rows += "\r\n";
        }
        rows += "pk10|+|" + draw.issue + "|+|" + draw.time + "|+|" + draw.numbers + "|+|" +
                std::to_string(draw.seed);
    }
    return rows;
}

std::string ProtocolTestServer::newestText() const {
    const Draw& draw = draws_.back();
    const std::string coming = std::to_string(std::stoll(draw.issue) + 1);
    return "pk10| |" + draw.issue + "| |" + draw.time + "| |" + draw.numbers + "| |" +
           std::to_string(draw.seed) + "| |pk10| |" + coming + "| |" + comingTime_;
}

} // namespace zorlith::testing_support
