#include "protocol_test_server.h"
#include "service/service_endpoint.h"
#include "service_test_support.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <ostream>

namespace zorlith {
namespace {

using testing_support::KeyReply;
using testing_support::OpenedRequest;
using testing_support::ScriptedTransport;
using testing_support::SettableClock;

constexpr const char* kKey = "AbCdEfGh12345678";

void SetTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

// The reply of a call whose data is `inner`, protected with the rand of the request.
ScriptedTransport::Answer ProtectedReply(std::string inner, std::string msg = "") {
    return [inner = std::move(inner), msg = std::move(msg)](const ScriptedTransport::Request& r) {
        const nlohmann::json request = nlohmann::json::parse(OpenedRequest(r.body, kKey));
        const int32_t rand = std::stoi(request["rand"].get<std::string>());
        return nlohmann::json{{"errcode", "0"}, {"msg", msg}, {"data", SealData(inner, rand)}}
            .dump();
    };
}

class ServiceEndpointTest : public testing::Test {
protected:
    void SetUp() override {
        SetTimeZone("UTC0");
        endpoint.setTarget("http://127.0.0.1:1/svc", 112);
    }
    void TearDown() override { unsetenv("TZ"); }

    ScriptedTransport transport;
    SettableClock clock;
    ServiceEndpoint endpoint{transport, clock};
    ServiceReply reply;
};

TEST_F(ServiceEndpointTest, CallSendsTheKeyExchangeThenTheSealedRequest) {
    clock.setNow(1'700'000'000);
    clock.setUptime(123'456);
    transport.queueText(KeyReply(kKey));
    transport.queue(ProtectedReply(R"({"version":"1.15"})"));

    ASSERT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.getText("version"), "1.15");

    ASSERT_EQ(transport.requests().size(), 2U);
    EXPECT_EQ(transport.requests()[0].url, "http://127.0.0.1:1/svc");
    // Seconds since 1970-01-01 08:00 local time; on a UTC clock that is Unix time - 8 h.
    EXPECT_EQ(transport.requests()[0].body, "DATA=GETRAND?1699971200");
    EXPECT_EQ(transport.requests()[1].url, "http://127.0.0.1:1/svc");
    // rand: the last four digits of 1699971200 + 123456.
    EXPECT_EQ(OpenedRequest(transport.requests()[1].body, kKey),
              R"({"rand":"4656","funname":"init","appid":"112","param":[]})");
}

TEST_F(ServiceEndpointTest, SealedBodyIsFourTimesTheEscapedRequestInUpperHex) {
    transport.queueText(KeyReply(kKey));
    transport.queue(ProtectedReply("{}"));
    ASSERT_TRUE(
        endpoint.callWith(reply, "select_draw", "令牌", "50", "", "", "", ReplyData::Protected));
    const std::string body = transport.requests()[1].body;
    const std::string request = OpenedRequest(body, kKey);
    EXPECT_EQ(body.size() - 5, 4 * UrlEscape(request).size());
    EXPECT_EQ(body.find_first_not_of("0123456789ABCDEF", 5), std::string::npos);
    EXPECT_NE(request.find(R"("param":["令牌","50"])"), std::string::npos);
}

TEST_F(ServiceEndpointTest, NonceEndingIn0007IsSentAsSeven) {
    clock.setNow(1'700'000'000);
    clock.setUptime(8807); // 1699971200 + 8807 ends in 0007
    EXPECT_EQ(endpoint.makeRand(), 7);
    transport.queueText(KeyReply(kKey));
    transport.queue([](const ScriptedTransport::Request&) {
        return nlohmann::json{{"errcode", "0"}, {"data", SealData(R"({"ok":"yes"})", 7)}}.dump();
    });
    ASSERT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.getText("ok"), "yes");
    EXPECT_NE(OpenedRequest(transport.requests()[1].body, kKey).find(R"("rand":"7")"),
              std::string::npos);
}

struct ParamsRow {
    std::vector<std::string> given;
    std::string param;
};

void PrintTo(const ParamsRow& row, std::ostream* out) {
    *out << row.param;
}

class CallWithParamsTest : public ServiceEndpointTest,
                           public testing::WithParamInterface<ParamsRow> {};

TEST_P(CallWithParamsTest, TakesParametersUpToTheFirstEmptyOne) {
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":"0","msg":"","data":""})");
    const auto& p = GetParam().given;
    ASSERT_TRUE(endpoint.callWith(reply, "f", p[0], p[1], p[2], p[3], p[4], ReplyData::Plain));
    const nlohmann::json request =
        nlohmann::json::parse(OpenedRequest(transport.requests()[1].body, kKey));
    EXPECT_EQ(request["param"].dump(), GetParam().param);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CallWithParamsTest,
    testing::Values(ParamsRow{{"", "", "", "", ""}, "[]"}, ParamsRow{{"", "x", "", "", ""}, "[]"},
                    ParamsRow{{"a", "b", "", "d", ""}, R"(["a","b"])"},
                    ParamsRow{{"1", "2", "3", "4", "5"}, R"(["1","2","3","4","5"])"}));

TEST_F(ServiceEndpointTest, EmptyDataSucceedsWithTheReplyItself) {
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":"0","msg":"完成","data":""})");
    ASSERT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.msg(), "完成");
}

TEST_F(ServiceEndpointTest, NumericErrcodeZeroSucceeds) {
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":0,"msg":"","data":""})");
    EXPECT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
}

TEST_F(ServiceEndpointTest, PlainDataIsParsedAsIs) {
    transport.queueText(KeyReply(kKey));
    transport.queueText(R"({"errcode":"0","msg":"","data":{"data":"a|+|b"}})");
    ASSERT_TRUE(endpoint.callWith(reply, "select_draw", "t", "1", "", "", "", ReplyData::Plain));
    EXPECT_EQ(reply.getText("data"), "a|+|b");
}

struct FailureRow {
    std::string name;
    std::vector<std::string> answers; // key exchange, then call
    std::string errcode;
    std::string msg;
    size_t posts;
};

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class CallFailureTest : public ServiceEndpointTest,
                        public testing::WithParamInterface<FailureRow> {};

TEST_P(CallFailureTest, LeavesTheExplanationInTheReply) {
    for (const std::string& answer : GetParam().answers) {
        transport.queueText(answer);
    }
    EXPECT_FALSE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.errcode(), GetParam().errcode);
    EXPECT_EQ(reply.msg(), GetParam().msg);
    EXPECT_EQ(transport.requests().size(), GetParam().posts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CallFailureTest,
    testing::Values(
        FailureRow{"KeyExchangeEmpty", {""}, "9999", "服务器访问失败!", 1},
        FailureRow{"KeyExchangeNotJson", {"<html>500</html>"}, "9999", "服务器访问错误!", 1},
        FailureRow{"KeyExchangeRefused",
                   {R"({"errcode":"5","msg":"密钥失败","data":""})"},
                   "5",
                   "密钥失败",
                   1},
        FailureRow{"KeyNotHex",
                   {R"({"errcode":"0","msg":"","data":"XYZ"})"},
                   "9999",
                   "服务器访问错误!",
                   1},
        FailureRow{
            "KeyEmpty", {R"({"errcode":"0","msg":"","data":""})"}, "9999", "服务器访问错误!", 1},
        FailureRow{"CallEmpty", {KeyReply(kKey), ""}, "9999", "服务器访问失败!", 2},
        FailureRow{
            "CallNotJson", {KeyReply(kKey), "<html>500</html>"}, "9999", "服务器访问错误!", 2},
        FailureRow{"CallNotAnObject", {KeyReply(kKey), "[1,2]"}, "9999", "服务器访问错误!", 2},
        FailureRow{"CallRefused",
                   {KeyReply(kKey), R"({"errcode":"1","msg":"拒绝","data":""})"},
                   "1",
                   "拒绝",
                   2},
        FailureRow{"DataNotHex",
                   {KeyReply(kKey), R"({"errcode":"0","msg":"","data":"ZZ-not-hex"})"},
                   "9999",
                   "服务器访问错误!2",
                   2},
        FailureRow{"DataOfAnotherRand",
                   {KeyReply(kKey), R"({"errcode":"0","msg":"","data":")" +
                                        SealData(R"({"a":"b"})", 12345) + R"("})"},
                   "9999",
                   "服务器访问错误!2",
                   2}),
    [](const testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

TEST_F(ServiceEndpointTest, LocalErrorIsAFreshDocumentInOrder) {
    ASSERT_TRUE(reply.parse(R"({"other":"x"})"));
    ServiceEndpoint::setLocalError(reply, "9999", "服务器访问失败!", "");
    EXPECT_EQ(reply.toString(), R"({"errcode":"9999","msg":"服务器访问失败!","data":""})");
}

TEST_F(ServiceEndpointTest, ProtectedDataInUtf8ComesBackUnchanged) {
    transport.queueText(KeyReply(kKey));
    transport.queue(ProtectedReply(R"({"advert1":"冠军单双走势"})", "成功"));
    ASSERT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.getText("advert1"), "冠军单双走势");
}

TEST(UnixTimeTextTest, CountsFromEightOClockLocalTime) {
    SetTimeZone("CST-8");
    EXPECT_EQ(ServiceEndpoint::unixTimeText(1'700'000'000), "1700000000");
    SetTimeZone("UTC0");
    EXPECT_EQ(ServiceEndpoint::unixTimeText(1'700'000'000), "1699971200");
    unsetenv("TZ");
    tzset();
}

TEST(ServiceEndpointServerTest, CallsTheRealServer) {
    testing_support::ProtocolTestServer server;
    CurlTransport transport;
    SystemClock clock;
    ServiceEndpoint endpoint(transport, clock);
    endpoint.setTarget(server.url(), 112);
    ServiceReply reply;
    ASSERT_TRUE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.getText("token"), testing_support::ProtocolTestServer::kToken);
    EXPECT_EQ(server.kinds(), (std::vector<std::string>{"GETRAND", "init"}));
    const nlohmann::json request = server.exchanges()[1].request;
    EXPECT_EQ(request["appid"], "112");
    EXPECT_EQ(request["param"], nlohmann::json::array());
    const int rand = std::stoi(request["rand"].get<std::string>());
    EXPECT_GE(rand, 0);
    EXPECT_LE(rand, 9999);
}

TEST(ServiceEndpointServerTest, NeverAnsweringServerFailsWithinTheTimeouts) {
    using namespace std::chrono_literals;
    testing_support::ProtocolTestServer server;
    server.setFault("init", testing_support::Fault::NeverAnswer);
    CurlTransport transport(CurlTransport::Limits{500ms, 1000ms});
    SystemClock clock;
    ServiceEndpoint endpoint(transport, clock);
    endpoint.setTarget(server.url(), 112);
    ServiceReply reply;
    EXPECT_FALSE(endpoint.callWith(reply, "init", "", "", "", "", "", ReplyData::Protected));
    EXPECT_EQ(reply.msg(), "服务器访问失败!");
    EXPECT_EQ(reply.errcode(), "9999");
}

} // namespace
} // namespace zorlith
