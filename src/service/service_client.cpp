#include "service/service_client.h"

#include "draws/number_text.h"
#include "draws/text_split.h"

namespace zorlith {

namespace {

// The fields a draw row needs: tag, issue, draw time, numbers, seed.
constexpr size_t kDrawRowFields = 5;

} // namespace

bool ServiceClient::init(const std::string& url, int32_t appId) {
    ServiceEndpoint endpoint(transport_, clock_);
    endpoint.setTarget(url, appId);
    if (!endpoint.callWith(initReply_, "init", "", "", "", "", "", ReplyData::Protected)) {
        setLastError("初始化连接服务器失败！：" + initReply_.msg() + " 错误代码：" +
                     initReply_.errcode());
        return false;
    }
    parseAppConfig(initReply_, config_);
    accessToken_ = initReply_.getText("token");
    latestIssueUrl_ = config_.newphase;
    drawEndpoint_.setTarget(config_.drawurl, appId);
    return true;
}

void ServiceClient::parseAppConfig(const JsonValue& reply, AppConfig& target) {
    target.userurl = reply.getText("userurl");
    target.drawurl = reply.getText("drawurl");
    target.newphase = reply.getText("newphase");
    target.advert1 = reply.getText("advert1");
    target.advert2 = reply.getText("advert2");
    target.version = reply.getText("version");
    target.proupurl = reply.getText("proupurl");
    JsonValue links;
    if (!reply.copyMember("payurl", links)) {
        return;
    }
    std::vector<std::string> titles;
    std::vector<std::string> urls;
    std::vector<JsonType> types;
    links.enumerate(titles, urls, types);
    target.linkTitles = std::move(titles);
    target.linkUrls = std::move(urls);
}

bool ServiceClient::newestDraw(std::vector<std::string>& list) {
    if (!drawEndpoint_.callWith(dataReply_, "newestdraw", accessToken_, "", "", "", "",
                                ReplyData::Protected)) {
        return false;
    }
    list = SplitText(dataReply_.getText("data"), "| |");
    return !list.empty();
}

bool ServiceClient::selectDraws(int32_t count, DrawRows& rows) {
    if (!drawEndpoint_.callWith(dataReply_, "select_draw", accessToken_, IntToText(count), "", "",
                                "", ReplyData::Plain)) {
        setLastError("获取最新开奖数据失败!" + dataReply_.msg() + " 错误代码：" +
                     dataReply_.errcode());
        return false;
    }
    const std::vector<std::string> lines = SplitText(dataReply_.getText("data"), "\r\n");
    std::vector<std::string> fields;
    for (const std::string& line : lines) {
        for (std::string& field : SplitText(line, "|+|")) {
            fields.push_back(std::move(field));
        }
    }
    // Every row takes the same number of fields, as many as the lines share on average.
    const size_t columns = lines.empty() ? 0 : fields.size() / lines.size();
    if (columns < kDrawRowFields) {
        setLastError("开奖数据格式错误");
        return false;
    }
    DrawRows table(lines.size());
    for (size_t r = 0; r < lines.size(); ++r) {
        const auto first = fields.begin() + static_cast<std::ptrdiff_t>(r * columns);
        table[r].assign(first, first + static_cast<std::ptrdiff_t>(columns));
    }
    rows = std::move(table);
    return true;
}

std::string ServiceClient::latestIssue() {
    std::string text = transport_.getUrl(latestIssueUrl_);
    if (text.empty()) {
        setLastError("最新期号获取失败!");
    }
    return text;
}

} // namespace zorlith
