#include "protocol_test_server.h"
#include "service/service_client.h"
#include "service_test_support.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::Fault;
using testing_support::InitFailureRow;
using testing_support::KeyReply;
using testing_support::OpenedRequest;
using testing_support::ProtocolTestServer;
using testing_support::ScriptedTransport;
using testing_support::SettableClock;

constexpr const char* kKey = "k0k1k2k3k4k5k6k7";

class ServiceClientServerTest : public testing::Test {
protected:
    ProtocolTestServer server;
    CurlTransport transport{CurlTransport::Limits{1000ms, 2000ms}};
    SystemClock clock;
    ServiceClient client{transport, clock};
};

TEST_F(ServiceClientServerTest, InitTakesTheConfigurationAndTheToken) {
    ASSERT_TRUE(client.init(server.url(), 112));
    AppConfig config;
    client.fetchAppConfig(config);
    EXPECT_EQ(config.drawurl, server.url());
    EXPECT_EQ(config.newphase, server.url("/newphase"));
    EXPECT_EQ(config.advert1, server.url("/page"));
    EXPECT_EQ(config.version, "1.15");
    EXPECT_EQ(config.proupurl, server.url("/download/zorlith-pk10"));
    EXPECT_EQ(config.linkTitles, (std::vector<std::string>{"走势图", "使用说明"}));
    EXPECT_EQ(config.linkUrls,
              (std::vector<std::string>{"http://127.0.0.1/trend", "http://127.0.0.1/help"}));
    EXPECT_EQ(client.accessToken(), ProtocolTestServer::kToken);
    EXPECT_EQ(client.drawEndpoint().url(), server.url());
}

TEST_F(ServiceClientServerTest, DataFunctionsSendTheToken) {
    ASSERT_TRUE(client.init(server.url(), 112));
    DrawRows rows;
    ASSERT_TRUE(client.selectDraws(50, rows));
    ASSERT_EQ(rows.size(), 50U);
    EXPECT_EQ(rows[0][1], server.newestIssue());
    EXPECT_EQ(rows[0][3], server.newestNumbers());
    std::vector<std::string> pieces;
    ASSERT_TRUE(client.newestDraw(pieces));
    ASSERT_EQ(pieces.size(), 8U);
    EXPECT_EQ(pieces[1], server.newestIssue());
    EXPECT_EQ(client.latestIssue(), server.newestIssue());

    const auto exchanges = server.exchanges();
    EXPECT_EQ(exchanges[3].request["param"], (nlohmann::json{ProtocolTestServer::kToken, "50"}));
    EXPECT_EQ(exchanges[5].request["param"], nlohmann::json{ProtocolTestServer::kToken});
}

class InitFailureTest : public ServiceClientServerTest,
                        public testing::WithParamInterface<InitFailureRow> {};

TEST_P(InitFailureTest, ExplainsTheFailureAndKeepsTheConfiguration) {
    ASSERT_TRUE(client.init(server.url(), 112));
    AppConfig before;
    client.fetchAppConfig(before);
    server.setFault(GetParam().target, GetParam().fault);
    server.setVersion("9.9");
    EXPECT_FALSE(client.init(server.url(), 112));
    EXPECT_EQ(client.lastError(), GetParam().message);
    AppConfig after;
    client.fetchAppConfig(after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(client.drawEndpoint().url(), server.url());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InitFailureTest,
    testing::Values(InitFailureRow{"Http500", "init", Fault::Http500Html,
                                   "初始化连接服务器失败！：服务器访问错误! 错误代码：9999"},
                    InitFailureRow{"EmptyBody", "init", Fault::EmptyBody,
                                   "初始化连接服务器失败！：服务器访问失败! 错误代码：9999"},
                    InitFailureRow{"NotJson", "init", Fault::NotJson,
                                   "初始化连接服务器失败！：服务器访问错误! 错误代码：9999"},
                    InitFailureRow{"Refused", "init", Fault::ErrcodeOne,
                                   "初始化连接服务器失败！：测试服务拒绝 错误代码：1"},
                    InitFailureRow{"DataDoesNotOpen", "init", Fault::DataDoesNotOpen,
                                   "初始化连接服务器失败！：服务器访问错误!2 错误代码：9999"},
                    InitFailureRow{"DataNotJson", "init", Fault::DataNotJson,
                                   "初始化连接服务器失败！：服务器访问错误!2 错误代码：9999"},
                    InitFailureRow{"KeyExchangeEmpty", "GETRAND", Fault::EmptyBody,
                                   "初始化连接服务器失败！：服务器访问失败! 错误代码：9999"},
                    InitFailureRow{"KeyExchangeRefused", "GETRAND", Fault::ErrcodeOne,
                                   "初始化连接服务器失败！：测试服务拒绝 错误代码：1"},
                    InitFailureRow{"NeverAnswers", "init", Fault::NeverAnswer,
                                   "初始化连接服务器失败！：服务器访问失败! 错误代码：9999"}),
    [](const testing::TestParamInfo<InitFailureRow>& row) { return row.param.name; });

struct SelectFailureRow {
    std::string name;
    Fault fault;
    std::string message;
};

void PrintTo(const SelectFailureRow& row, std::ostream* out) {
    *out << row.name;
}

class SelectDrawsFailureTest : public ServiceClientServerTest,
                               public testing::WithParamInterface<SelectFailureRow> {};

TEST_P(SelectDrawsFailureTest, ExplainsTheFailureAndKeepsTheRows) {
    ASSERT_TRUE(client.init(server.url(), 112));
    server.setFault("select_draw", GetParam().fault);
    DrawRows rows{{"kept"}};
    EXPECT_FALSE(client.selectDraws(50, rows));
    EXPECT_EQ(client.lastError(), GetParam().message);
    EXPECT_EQ(rows, (DrawRows{{"kept"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SelectDrawsFailureTest,
    testing::Values(SelectFailureRow{"Http500", Fault::Http500Html,
                                     "获取最新开奖数据失败!服务器访问错误! 错误代码：9999"},
                    SelectFailureRow{"EmptyBody", Fault::EmptyBody,
                                     "获取最新开奖数据失败!服务器访问失败! 错误代码：9999"},
                    SelectFailureRow{"Refused", Fault::ErrcodeOne,
                                     "获取最新开奖数据失败!测试服务拒绝 错误代码：1"},
                    SelectFailureRow{"DataNotJson", Fault::DataNotJson,
                                     "获取最新开奖数据失败!服务器访问错误!2 错误代码：9999"}),
    [](const testing::TestParamInfo<SelectFailureRow>& row) { return row.param.name; });

TEST_F(ServiceClientServerTest, RowsWithoutACompleteRowAreAFormatError) {
    ASSERT_TRUE(client.init(server.url(), 112));
    for (const std::string rows : {"", "\r\n", "a|+|b|+|c|+|d", "a|+|b|+|c|+|d|+|e\r\nx"}) {
        server.setRowsText(rows);
        DrawRows table{{"kept"}};
        EXPECT_FALSE(client.selectDraws(50, table)) << rows;
        EXPECT_EQ(client.lastError(), "开奖数据格式错误");
        EXPECT_EQ(table, (DrawRows{{"kept"}}));
    }
}

TEST_F(ServiceClientServerTest, LatestIssueFailureIsExplained) {
    ASSERT_TRUE(client.init(server.url(), 112));
    server.setFault("newphase", Fault::EmptyBody);
    EXPECT_EQ(client.latestIssue(), "");
    EXPECT_EQ(client.lastError(), "最新期号获取失败!");
}

TEST_F(ServiceClientServerTest, NewestDrawFailureLeavesListAndLastError) {
    ASSERT_TRUE(client.init(server.url(), 112));
    client.setLastError("earlier");
    server.setFault("newestdraw", Fault::DataDoesNotOpen);
    std::vector<std::string> pieces{"kept"};
    EXPECT_FALSE(client.newestDraw(pieces));
    EXPECT_EQ(pieces, std::vector<std::string>{"kept"});
    EXPECT_EQ(client.lastError(), "earlier");
}

// Draw tables from scripted replies.
class SelectDrawsTableTest : public testing::Test {
protected:
    DrawRows selectWith(const std::string& rowsText) {
        transport.queueText(KeyReply(kKey));
        transport.queueText(nlohmann::json{
            {"errcode", "0"}, {"msg", ""}, {"data", nlohmann::json{{"data", rowsText}}}}
                                .dump());
        client.setAccessToken("t");
        DrawRows rows;
        EXPECT_TRUE(client.selectDraws(2, rows));
        return rows;
    }

    ScriptedTransport transport;
    SettableClock clock;
    ServiceClient client{transport, clock};
};

TEST_F(SelectDrawsTableTest, TwoLinesOfFiveFields) {
    const DrawRows expected{{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}};
    EXPECT_EQ(selectWith("a|+|b|+|c|+|d|+|e\r\nf|+|g|+|h|+|i|+|j"), expected);
    EXPECT_EQ(selectWith("a|+|b|+|c|+|d|+|e\r\nf|+|g|+|h|+|i|+|j\r\n"), expected);
}

TEST_F(SelectDrawsTableTest, UnevenLinesShareTheColumnCount) {
    EXPECT_EQ(selectWith("a|+|b|+|c|+|d|+|e\r\nf|+|g|+|h|+|i|+|j|+|k"),
              (DrawRows{{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}}));
    EXPECT_EQ(selectWith("a|+|b|+|c|+|d|+|e|+|x\r\nf|+|g|+|h|+|i|+|j"),
              (DrawRows{{"a", "b", "c", "d", "e"}, {"x", "f", "g", "h", "i"}}));
}

TEST(ServiceClientTokenTest, EmptyTokenSendsNoParameters) {
    ScriptedTransport transport;
    SettableClock clock;
    ServiceClient client(transport, clock);
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":"1","msg":"x","data":""})");
    DrawRows rows;
    EXPECT_FALSE(client.selectDraws(50, rows));
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":"1","msg":"x","data":""})");
    std::vector<std::string> pieces;
    EXPECT_FALSE(client.newestDraw(pieces));
    for (const size_t call : {1U, 3U}) {
        const auto request =
            nlohmann::json::parse(OpenedRequest(transport.requests()[call].body, kKey));
        EXPECT_EQ(request["param"], nlohmann::json::array());
    }
}

TEST(ServiceClientNewestDrawTest, SplitsAtTheSeparator) {
    ScriptedTransport transport;
    SettableClock clock;
    ServiceClient client(transport, clock);
    client.setAccessToken("t");
    const auto reply = [](std::string text) {
        return [text = std::move(text)](const ScriptedTransport::Request& r) {
            const auto request = nlohmann::json::parse(OpenedRequest(r.body, kKey));
            const int32_t rand = std::stoi(request["rand"].get<std::string>());
            return nlohmann::json{{"errcode", "0"},
                                  {"data", SealData(nlohmann::json{{"data", text}}.dump(), rand)}}
                .dump();
        };
    };
    struct Row {
        std::string text;
        size_t pieces;
    };
    for (const Row& row :
         {Row{"1| |2| |3| |4| |5| |6| |7| |8", 8}, Row{"1| |2| |3| |", 3}, Row{"1| || |3", 3}}) {
        transport.queueText(KeyReply(kKey));
        transport.queue(reply(row.text));
        std::vector<std::string> pieces;
        EXPECT_TRUE(client.newestDraw(pieces));
        EXPECT_EQ(pieces.size(), row.pieces) << row.text;
    }
}

class ParseAppConfigTest : public testing::Test {
protected:
    AppConfig parse(const std::string& json, AppConfig config = {}) {
        JsonValue reply;
        EXPECT_TRUE(reply.parse(json));
        ServiceClient::parseAppConfig(reply, config);
        return config;
    }
};

TEST_F(ParseAppConfigTest, TakesTheSevenTextsAndTheLinksInOrder) {
    const AppConfig config =
        parse(R"({"userurl":"U","drawurl":"D","newphase":"N","advert1":"A1","advert2":"A2",)"
              R"("version":"1.2","proupurl":"P","payurl":{"t2":"u2","t1":"u1"}})");
    EXPECT_EQ(config.userurl, "U");
    EXPECT_EQ(config.drawurl, "D");
    EXPECT_EQ(config.newphase, "N");
    EXPECT_EQ(config.advert1, "A1");
    EXPECT_EQ(config.advert2, "A2");
    EXPECT_EQ(config.version, "1.2");
    EXPECT_EQ(config.proupurl, "P");
    EXPECT_EQ(config.linkTitles, (std::vector<std::string>{"t2", "t1"}));
    EXPECT_EQ(config.linkUrls, (std::vector<std::string>{"u2", "u1"}));
}

TEST_F(ParseAppConfigTest, LinksStayWithoutAPayurlObject) {
    EXPECT_EQ(parse(R"({"version":null})").linkTitles, std::vector<std::string>{""});
    AppConfig earlier;
    earlier.linkTitles = {"x"};
    earlier.linkUrls = {"y"};
    EXPECT_EQ(parse(R"({"payurl":"text"})", earlier).linkTitles, std::vector<std::string>{"x"});
    EXPECT_EQ(parse(R"({"payurl":["a"]})", earlier).linkUrls, std::vector<std::string>{"y"});
    EXPECT_TRUE(parse(R"({"payurl":{}})", earlier).linkTitles.empty());
}

TEST_F(ParseAppConfigTest, NestedLinkTargetIsItsJsonText) {
    const AppConfig config = parse(R"({"payurl":{"t":{"a":1}}})");
    EXPECT_EQ(config.linkUrls, std::vector<std::string>{R"({"a":1})"});
}

} // namespace
} // namespace zorlith
