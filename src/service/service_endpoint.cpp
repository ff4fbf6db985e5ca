#include "service/service_endpoint.h"

#include "draws/number_text.h"
#include "service/protection.h"

#include <ctime>

namespace zorlith {

namespace {

constexpr int64_t kUtcPlus8 = 8 * 3600;

// The seconds by which the local time zone is ahead of UTC at that moment.
int64_t LocalOffset(int64_t unixSeconds) {
    const auto moment = static_cast<time_t>(unixSeconds);
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) {
        return 0;
    }
    return local.tm_gmtoff;
}

} // namespace

void ServiceEndpoint::setTarget(std::string url, int32_t appId) {
    url_ = std::move(url);
    appId_ = appId;
}

bool ServiceEndpoint::callWith(ServiceReply& reply, std::string_view funname, std::string_view p1,
                               std::string_view p2, std::string_view p3, std::string_view p4,
                               std::string_view p5, ReplyData data) {
    std::vector<std::string> params;
    for (const std::string_view param : {p1, p2, p3, p4, p5}) {
        if (param.empty()) {
            break;
        }
        params.emplace_back(param);
    }
    return call(reply, funname, params, data);
}

bool ServiceEndpoint::call(ServiceReply& reply, std::string_view funname,
                           const std::vector<std::string>& params, ReplyData data) {
    const int32_t rand = makeRand();
    const std::string exchangeKey = fetchExchangeKey(reply);
    if (exchangeKey.empty()) {
        if (reply.toString().empty()) {
            setLocalError(reply, kLocalErrorCode, kAccessFailed, "");
        }
        return false;
    }

    JsonValue request;
    request.create();
    request.put("rand", IntToText(rand));
    request.put("funname", funname);
    request.put("appid", IntToText(appId_));
    JsonArray paramArray;
    paramArray.create();
    for (const std::string& param : params) {
        paramArray.add(param);
    }
    request.putChild("param", paramArray);

    reply.create();
    const std::string payload = SealPayload(UrlEscape(request.toString()), exchangeKey);
    const std::string body = transport_.post(url_, "DATA=" + payload);
    if (body.empty()) {
        setLocalError(reply, kLocalErrorCode, kAccessFailed, "");
        return false;
    }
    if (!reply.parse(body) || reply.type() != JsonType::Object) {
        setLocalError(reply, kLocalErrorCode, kAccessError, "");
        return false;
    }
    if (reply.errcode() != "0") {
        return false;
    }
    const std::string dataText = reply.getText("data");
    if (dataText.empty()) {
        return true;
    }
    const std::optional<std::string> opened =
        data == ReplyData::Plain ? std::optional<std::string>(dataText) : OpenData(dataText, rand);
    if (!opened || !reply.parse(*opened) || reply.type() != JsonType::Object) {
        setLocalError(reply, kLocalErrorCode, kDataAccessError, "");
        return false;
    }
    return true;
}

void ServiceEndpoint::setLocalError(ServiceReply& reply, std::string_view errcode,
                                    std::string_view msg, std::string_view data) {
    reply.create();
    reply.put("errcode", errcode);
    reply.put("msg", msg);
    reply.put("data", data);
}

std::string ServiceEndpoint::fetchExchangeKey(ServiceReply& reply) {
    const std::string body =
        transport_.post(url_, "DATA=GETRAND?" + unixTimeText(clock_.unixNow()));
    if (body.empty()) {
        setLocalError(reply, kLocalErrorCode, kAccessFailed, "");
        return "";
    }
    if (!reply.parse(body) || reply.type() != JsonType::Object) {
        setLocalError(reply, kLocalErrorCode, kAccessError, "");
        return "";
    }
    if (reply.errcode() != "0") {
        return "";
    }
    // A key that does not decode, or decodes to nothing, cannot protect the call: that is an
    // error of the reply, not a success without a key.
    const std::optional<std::string> key = OpenExchangeKey(reply.getText("data"));
    if (!key || key->empty()) {
        setLocalError(reply, kLocalErrorCode, kAccessError, "");
        return "";
    }
    return *key;
}

int32_t ServiceEndpoint::makeRand() const {
    const int64_t sum = int64_t{clock_.uptimeMs()} + TextToInt(unixTimeText(clock_.unixNow()));
    const int64_t lastFourDigits = sum % 10000;
    return static_cast<int32_t>(lastFourDigits < 0 ? -lastFourDigits : lastFourDigits);
}

std::string ServiceEndpoint::unixTimeText(int64_t unixSeconds) {
    return IntToText(unixSeconds + LocalOffset(unixSeconds) - kUtcPlus8);
}

} // namespace zorlith
