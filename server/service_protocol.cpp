#include "service_protocol.h"

#include "service/protection.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace zorlith {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kKeyRequest = "DATA=GETRAND?";
constexpr std::string_view kCallPrefix = "DATA=";
constexpr std::string_view kAppId = "112";
constexpr std::string_view kDrawTag = "1";
constexpr int kMaxSelectCount = 1000;
constexpr size_t kKeyProbeBytes = 16;

struct Request {
    int32_t rand = 0;
    std::string funname;
    std::string appid;
    std::vector<std::string> params;
};

// Texts from the command line (the announced version, the update address) may hold bytes that
// are not UTF-8; they are replaced rather than failing the reply.
std::string Serialise(const Json& document) {
    return document.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string Reply(std::string_view errcode, std::string_view msg, const Json& data) {
    Json reply;
    reply["errcode"] = errcode;
    reply["msg"] = msg;
    reply["data"] = data;
    return Serialise(reply);
}

bool IsDigits(std::string_view text, size_t maxLength) {
    if (text.empty() || text.size() > maxLength) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool IsHex(std::string_view text) {
    for (const char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit) {
            return false;
        }
    }
    return true;
}

// The request document, when the opened text is one: rand a text of up to four digits,
// funname and appid texts, param an array of texts.
std::optional<Request> ReadRequest(std::string_view escaped) {
    const auto text = UrlUnescape(escaped);
    if (!text) {
        return std::nullopt;
    }
    const Json document = Json::parse(*text, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    const auto rand = document.find("rand");
    const auto funname = document.find("funname");
    const auto appid = document.find("appid");
    const auto param = document.find("param");
    if (rand == document.end() || funname == document.end() || appid == document.end() ||
        param == document.end() || !rand->is_string() || !funname->is_string() ||
        !appid->is_string() || !param->is_array()) {
        return std::nullopt;
    }
    Request request;
    const auto& randText = rand->get_ref<const std::string&>();
    if (!IsDigits(randText, 4)) {
        return std::nullopt;
    }
    request.rand = std::stoi(randText);
    request.funname = funname->get<std::string>();
    request.appid = appid->get<std::string>();
    for (const auto& element : *param) {
        if (!element.is_string()) {
            return std::nullopt;
        }
        request.params.push_back(element.get<std::string>());
    }
    return request;
}

std::string RowOf(const StoredDraw& draw) {
    return std::string(kDrawTag) + "|+|" + std::to_string(draw.issue) + "|+|" +
           LocalDateTime(draw.drawnAt) + "|+|" + draw.numbers + "|+|" + std::to_string(draw.seed);
}

} // namespace

ServiceAnswer Refusal(std::string_view errcode, std::string_view msg) {
    return {200, Reply(errcode, msg, ""), std::string(errcode) + " " + std::string(msg)};
}

ServiceProtocol::ServiceProtocol(const DrawBook& book, ExchangeKeys& keys, TokenBook& tokens,
                                 ServiceSettings settings)
    : book_(book), keys_(keys), tokens_(tokens), settings_(std::move(settings)) {
    if (settings_.proupUrl.empty()) {
        settings_.proupUrl = settings_.baseUrl + "/download/zorlith-pk10";
    }
}

std::string ServiceProtocol::newestIssueText() const {
    const auto newest = book_.newest();
    return newest ? std::to_string(newest->issue) : std::string();
}

ServiceAnswer ServiceProtocol::exchangeKey(const std::string& address,
                                           ExchangeKeys::TimePoint now) const {
    const std::string key = keys_.issueKey(address, now);
    return {200, Reply("0", "", SealExchangeKey(key)), {}};
}

std::string ServiceProtocol::initDocument(int64_t unixNow) const {
    const std::string& base = settings_.baseUrl;
    Json document;
    document["userurl"] = base + "/page";
    document["drawurl"] = base + "/";
    document["newphase"] = base + "/newphase";
    document["advert1"] = base + "/page";
    document["advert2"] = base + "/page";
    document["version"] = settings_.announceVersion;
    document["proupurl"] = settings_.proupUrl;
    Json links = Json::object();
    links["北京赛车"] = "https://zh.wikipedia.org/wiki/%E5%8C%97%E4%BA%AC%E8%B5%9B%E8%BD%A6";
    links["理性购彩"] = "https://zh.wikipedia.org/wiki/%E5%BD%A9%E7%A5%A8";
    links["概率常识"] = "https://zh.wikipedia.org/wiki/%E6%A6%82%E7%8E%87";
    document["payurl"] = links;
    document["token"] = tokens_.issue(unixNow);
    return Serialise(document);
}

ServiceAnswer ServiceProtocol::answer(const std::string& address, std::string_view body,
                                      ExchangeKeys::TimePoint now, int64_t unixNow) const {
    if (body.size() > kMaxBody) {
        return {413, "请求体超过 65536 字节", "413 请求体过大"};
    }
    if (body.starts_with(kKeyRequest)) {
        const std::string_view seconds = body.substr(kKeyRequest.size());
        const std::string_view digits = seconds.starts_with('-') ? seconds.substr(1) : seconds;
        if (!IsDigits(digits, 20)) {
            return Refusal("1004", "请求格式错误：GETRAND? 之后应为十进制秒数");
        }
        return exchangeKey(address, now);
    }
    if (!body.starts_with(kCallPrefix)) {
        return Refusal("1004", "请求格式错误：请求体应以 DATA= 开头");
    }
    const std::string_view payload = body.substr(kCallPrefix.size());
    if (payload.empty() || payload.size() % 2 != 0 || !IsHex(payload)) {
        return Refusal("1004", "请求格式错误：DATA= 之后应为偶数长度的十六进制文本");
    }
    // A wrong key turns the first bytes into non-hex text almost surely, so each outstanding
    // key is tried on a short prefix before the whole payload is opened with it.
    const std::string prefix = HexDecode(payload.substr(0, 2 * kKeyProbeBytes)).value_or("");
    std::optional<Request> request;
    const auto outcome = keys_.useKey(address, now, [&](std::string_view key) {
        if (!IsHex(Arcfour(key, prefix))) {
            return false;
        }
        const auto opened = OpenPayload(payload, key);
        request = opened ? ReadRequest(*opened) : std::nullopt;
        return request.has_value();
    });
    if (outcome == ExchangeKeys::KeyOutcome::NoLiveKey) {
        return Refusal("1005",
                       "没有可用的交换密钥：请先获取密钥（每个密钥只能用一次，60 秒后失效）");
    }
    if (outcome == ExchangeKeys::KeyOutcome::NoneOpened) {
        return Refusal("1004", "请求无法解开，或解开后不是有效的 JSON 请求");
    }
    const bool isInit = request->funname == "init";
    const bool isSelect = request->funname == "select_draw";
    const bool isNewest = request->funname == "newestdraw";
    if (!isInit && !isSelect && !isNewest) {
        return Refusal("1001", "未知的函数名");
    }
    if (request->appid != kAppId) {
        return Refusal("1002", "应用编号错误");
    }
    if (isInit) {
        return {200, Reply("0", "成功", SealData(initDocument(unixNow), request->rand)), {}};
    }
    if (request->params.empty() || !tokens_.use(request->params[0], unixNow)) {
        return Refusal("1003", "令牌缺失、无效或已过期，请重新初始化");
    }
    if (isNewest) {
        // The service answers only once its history is seeded, so a newest draw exists.
        const auto newest = book_.newest().value();
        const std::string data = std::string(kDrawTag) + "| |" + std::to_string(newest.issue) +
                                 "| |" + LocalDateTime(newest.drawnAt) + "| |" + newest.numbers +
                                 "| |" + std::to_string(newest.seed) + "| |" +
                                 std::string(kDrawTag) + "| |" + std::to_string(newest.issue + 1) +
                                 "| |" + LocalDateTime(book_.nextDrawTime(newest));
        const Json inner = {{"data", data}};
        return {200, Reply("0", "成功", SealData(Serialise(inner), request->rand)), {}};
    }
    if (request->params.size() < 2 || !IsDigits(request->params[1], 4) ||
        std::stoi(request->params[1]) < 1 || std::stoi(request->params[1]) > kMaxSelectCount) {
        return Refusal("1006", "参数错误：查询条数应为 1 到 1000 的十进制数");
    }
    std::string rows;
    for (const StoredDraw& draw :
         book_.recent(static_cast<size_t>(std::stoi(request->params[1])))) {
        if (!rows.empty()) {
            rows += "\r\n";
        }
        rows += RowOf(draw);
    }
    return {200, Reply("0", "成功", Json{{"data", rows}}), {}};
}

} // namespace zorlith
