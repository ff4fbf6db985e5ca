#include "drawd_test_support.h"
#include "draws/text_split.h"
#include "service_protocol.h"

#include <gtest/gtest.h>
#include <regex>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing::Json;
using testing::KeyOfReply;
using testing::OpenedData;
using testing::RequestDocument;
using testing::SealedBody;

const ExchangeKeys::TimePoint kNow{std::chrono::hours(1000)};
constexpr int64_t kPeriod = 300;
constexpr int64_t kUnixNow = 1765436523;

class ServiceProtocolTest : public ::testing::Test {
protected:
    ServiceProtocolTest() {
        std::string error;
        store_ = DrawStore::Open((dir_.path() / "draws.sqlite").string(), error);
        book_ = std::make_unique<DrawBook>(*store_, kPeriod);
        book_->seedFreshHistory(kUnixNow, error);
        tokens_ = std::make_unique<TokenBook>(*store_);
        protocol_ = std::make_unique<ServiceProtocol>(
            *book_, keys_, *tokens_, ServiceSettings{"http://127.0.0.1:19200", "1.15", ""});
    }

    // The key clock and the token clock advance together.
    ServiceAnswer post(std::string_view body, ExchangeKeys::TimePoint at = kNow) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(at - kNow).count();
        return protocol_->answer("127.0.0.1", body, at, kUnixNow + elapsed);
    }
    std::string key(ExchangeKeys::TimePoint at = kNow) {
        return KeyOfReply(post("DATA=GETRAND?1765436523", at).body);
    }
    Json call(const Json& request, ExchangeKeys::TimePoint at = kNow) {
        return Json::parse(post(SealedBody(request.dump(), key(at)), at).body);
    }
    std::string token(ExchangeKeys::TimePoint at = kNow) {
        return OpenedData(
                   post(SealedBody(RequestDocument("init", {}, 42).dump(), key(at)), at).body, 42)
            .value("token", "");
    }

    testing::TempDir dir_;
    std::unique_ptr<DrawStore> store_;
    std::unique_ptr<DrawBook> book_;
    ExchangeKeys keys_;
    std::unique_ptr<TokenBook> tokens_;
    std::unique_ptr<ServiceProtocol> protocol_;
};

TEST_F(ServiceProtocolTest, KeyExchangeReplyHasTheExactWireForm) {
    const ServiceAnswer answer = post("DATA=GETRAND?1765436523");
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.refusal.empty());
    EXPECT_TRUE(std::regex_match(answer.body,
                                 std::regex(R"(\{"errcode":"0","msg":"","data":"[0-9A-F]{32}"\})")))
        << answer.body;
    EXPECT_TRUE(std::regex_match(KeyOfReply(answer.body), std::regex("[0-9A-Za-z]{16}")));
}

TEST_F(ServiceProtocolTest, InitCarriesTheConfigurationAndAFreshToken) {
    const std::string body = post(SealedBody(RequestDocument("init", {}, 7).dump(), key())).body;
    const Json reply = Json::parse(body);
    EXPECT_EQ(reply["errcode"], "0");
    EXPECT_FALSE(reply["msg"].get<std::string>().empty());
    const Json init = OpenedData(body, 7);
    ASSERT_TRUE(init.is_object()) << body;
    std::vector<std::string> keys;
    for (const auto& member : init.items()) {
        keys.push_back(member.key());
    }
    EXPECT_EQ(keys,
              (std::vector<std::string>{"userurl", "drawurl", "newphase", "advert1", "advert2",
                                        "version", "proupurl", "payurl", "token"}));
    EXPECT_EQ(init["drawurl"], "http://127.0.0.1:19200/");
    EXPECT_EQ(init["newphase"], "http://127.0.0.1:19200/newphase");
    EXPECT_EQ(init["advert1"], "http://127.0.0.1:19200/page");
    EXPECT_EQ(init["version"], "1.15");
    EXPECT_EQ(init["proupurl"], "http://127.0.0.1:19200/download/zorlith-pk10");
    ASSERT_TRUE(init["payurl"].is_object());
    EXPECT_GE(init["payurl"].size(), 2u);
    EXPECT_LE(init["payurl"].size(), 3u);
    for (const auto& link : init["payurl"].items()) {
        EXPECT_TRUE(link.value().get<std::string>().starts_with("https://")) << link.key();
    }
    EXPECT_FALSE(init["token"].get<std::string>().empty());
    EXPECT_NE(init["token"], token());
}

TEST_F(ServiceProtocolTest, SelectDrawSendsPlainRowsNewestFirstWithoutATrailingLineEnd) {
    const Json reply = call(RequestDocument("select_draw", {token(), "50"}));
    ASSERT_EQ(reply["errcode"], "0");
    ASSERT_TRUE(reply["data"].is_object());
    const std::string rows = reply["data"]["data"];
    EXPECT_FALSE(rows.ends_with("\r\n"));
    const auto lines = SplitText(rows, "\r\n");
    ASSERT_EQ(lines.size(), 50u);
    const auto newest = book_->newest().value();
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto fields = SplitText(lines[i], "|+|");
        ASSERT_EQ(fields.size(), 5u) << lines[i];
        EXPECT_EQ(fields[0], "1");
        EXPECT_EQ(fields[1], std::to_string(newest.issue - static_cast<int64_t>(i)));
        EXPECT_EQ(fields[2], LocalDateTime(newest.drawnAt - static_cast<int64_t>(i) * kPeriod));
        EXPECT_TRUE(std::regex_match(fields[3], std::regex("(\\d\\d,){9}\\d\\d")));
        EXPECT_NE(fields[4], "0");
        EXPECT_TRUE(std::regex_match(fields[4], std::regex("-?[1-9]\\d*")));
    }
    EXPECT_EQ(newest.drawnAt, LatestMultiple(kUnixNow, kPeriod));
}

TEST_F(ServiceProtocolTest, SelectDrawGivesWhatThereIsWhenAskedForMore) {
    const Json reply = call(RequestDocument("select_draw", {token(), "1000"}));
    ASSERT_EQ(reply["errcode"], "0");
    EXPECT_EQ(SplitText(reply["data"]["data"].get<std::string>(), "\r\n").size(),
              static_cast<size_t>(DrawBook::kFreshHistory));
}

TEST_F(ServiceProtocolTest, NewestDrawIsProtectedAndHasExactlyEightPieces) {
    const std::string body =
        post(SealedBody(RequestDocument("newestdraw", {token()}, 9999).dump(), key())).body;
    ASSERT_EQ(Json::parse(body)["errcode"], "0");
    const Json inner = OpenedData(body, 9999);
    ASSERT_TRUE(inner.is_object()) << body;
    const std::string text = inner["data"];
    const auto pieces = SplitText(text, "| |");
    ASSERT_EQ(pieces.size(), 8u) << text;
    EXPECT_FALSE(text.ends_with("| |"));
    const auto newest = book_->newest().value();
    EXPECT_EQ(pieces[1], std::to_string(newest.issue));
    EXPECT_EQ(pieces[2], LocalDateTime(newest.drawnAt));
    EXPECT_EQ(pieces[3], newest.numbers);
    EXPECT_EQ(pieces[4], std::to_string(newest.seed));
    EXPECT_EQ(pieces[5], "1");
    EXPECT_EQ(pieces[6], std::to_string(newest.issue + 1));
    EXPECT_EQ(pieces[7], LocalDateTime(newest.drawnAt + kPeriod));
}

// Every refusal: errcode a JSON string, msg a non-empty text, one log reason.
void ExpectRefusal(const ServiceAnswer& answer, const std::string& errcode) {
    EXPECT_EQ(answer.status, 200);
    const Json reply = Json::parse(answer.body, nullptr, false);
    ASSERT_TRUE(reply.is_object()) << answer.body;
    ASSERT_TRUE(reply["errcode"].is_string()) << answer.body;
    EXPECT_EQ(reply["errcode"], errcode) << answer.body;
    EXPECT_FALSE(reply["msg"].get<std::string>().empty());
    EXPECT_TRUE(answer.refusal.starts_with(errcode)) << answer.refusal;
}

struct CallRefusal {
    const char* name;
    const char* requestText; // "{token}" stands for a live token
    const char* errcode;
};

class ServiceProtocolRefusal : public ServiceProtocolTest,
                               public ::testing::WithParamInterface<CallRefusal> {};

TEST_P(ServiceProtocolRefusal, OfASealedRequest) {
    std::string request = GetParam().requestText;
    if (const size_t at = request.find("{token}"); at != std::string::npos) {
        request.replace(at, 7, token());
    }
    ExpectRefusal(post(SealedBody(request, key())), GetParam().errcode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceProtocolRefusal,
    ::testing::Values(
        CallRefusal{"UnknownFunname", R"({"rand":"1","funname":"drop","appid":"112","param":[]})",
                    "1001"},
        CallRefusal{"WrongAppid", R"({"rand":"1","funname":"init","appid":"113","param":[]})",
                    "1002"},
        CallRefusal{"NoToken", R"({"rand":"1","funname":"select_draw","appid":"112","param":[]})",
                    "1003"},
        CallRefusal{"UnknownToken",
                    R"({"rand":"1","funname":"newestdraw","appid":"112","param":["abc"]})", "1003"},
        CallRefusal{"EmptyToken",
                    R"({"rand":"1","funname":"newestdraw","appid":"112","param":[""]})", "1003"},
        CallRefusal{"NotJson", "not json at all", "1004"},
        CallRefusal{"JsonArray", R"(["rand","funname"])", "1004"},
        CallRefusal{"RandNumber", R"({"rand":1,"funname":"init","appid":"112","param":[]})",
                    "1004"},
        CallRefusal{"RandTooLarge", R"({"rand":"10000","funname":"init","appid":"112","param":[]})",
                    "1004"},
        CallRefusal{"RandNegative", R"({"rand":"-1","funname":"init","appid":"112","param":[]})",
                    "1004"},
        CallRefusal{"AppidNumber", R"({"rand":"1","funname":"init","appid":112,"param":[]})",
                    "1004"},
        CallRefusal{"FunnameMissing", R"({"rand":"1","appid":"112","param":[]})", "1004"},
        CallRefusal{"ParamNotArray", R"({"rand":"1","funname":"init","appid":"112","param":"x"})",
                    "1004"},
        CallRefusal{"ParamNumber",
                    R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}",50]})",
                    "1004"},
        CallRefusal{"ParamNull",
                    R"({"rand":"1","funname":"newestdraw","appid":"112","param":[null]})", "1004"},
        CallRefusal{"CountMissing",
                    R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}"]})",
                    "1006"},
        CallRefusal{"CountZero",
                    R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}","0"]})",
                    "1006"},
        CallRefusal{
            "CountTooLarge",
            R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}","1001"]})",
            "1006"},
        CallRefusal{
            "CountNegative",
            R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}","-5"]})",
            "1006"},
        CallRefusal{
            "CountText",
            R"({"rand":"1","funname":"select_draw","appid":"112","param":["{token}","ten"]})",
            "1006"}),
    [](const auto& row) { return std::string(row.param.name); });

struct BodyRefusal {
    const char* name;
    std::string body;
    const char* errcode;
};

class ServiceProtocolBodyRefusal : public ServiceProtocolTest,
                                   public ::testing::WithParamInterface<BodyRefusal> {};

TEST_P(ServiceProtocolBodyRefusal, OfAMalformedBody) {
    key();
    ExpectRefusal(post(GetParam().body), GetParam().errcode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceProtocolBodyRefusal,
    ::testing::Values(BodyRefusal{"Empty", "", "1004"}, BodyRefusal{"Garbage", "hello", "1004"},
                      BodyRefusal{"Binary", std::string("\0\xff\x01", 3), "1004"},
                      BodyRefusal{"PrefixOnly", "DATA=", "1004"},
                      BodyRefusal{"OddLength", "DATA=ABC", "1004"},
                      BodyRefusal{"NotHex", "DATA=XYZW", "1004"},
                      BodyRefusal{"LowerPrefix", "data=ABCD", "1004"},
                      BodyRefusal{"HexThatOpensToNothing", "DATA=00112233445566778899", "1004"},
                      BodyRefusal{"KeyRequestWithoutSeconds", "DATA=GETRAND?", "1004"},
                      BodyRefusal{"KeyRequestWithLetters", "DATA=GETRAND?12a", "1004"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ServiceProtocolTest, WithoutAKeyAWellFormedBodyGets1005) {
    ExpectRefusal(post("DATA=ABCD"), "1005");
}

TEST_F(ServiceProtocolTest, AKeyServesOneCallOnly) {
    const std::string exchangeKey = key();
    const std::string body = SealedBody(RequestDocument("init", {}).dump(), exchangeKey);
    EXPECT_EQ(Json::parse(post(body).body)["errcode"], "0");
    ExpectRefusal(post(body), "1005");
}

TEST_F(ServiceProtocolTest, AKeyIsConsumedEvenWhenTheCallIsRefused) {
    const std::string exchangeKey = key();
    const std::string body = SealedBody(RequestDocument("init", {}, 1, "999").dump(), exchangeKey);
    ExpectRefusal(post(body), "1002");
    ExpectRefusal(post(body), "1005");
}

TEST_F(ServiceProtocolTest, AKeyExpiresAfterSixtySeconds) {
    const std::string body = SealedBody(RequestDocument("init", {}).dump(), key());
    ExpectRefusal(post(body, kNow + 60s), "1005");
}

TEST_F(ServiceProtocolTest, AFailedAttemptLeavesTheKeysUsable) {
    const std::string exchangeKey = key();
    ExpectRefusal(post(SealedBody(RequestDocument("init", {}).dump(), "wrongwrongwrong1")), "1004");
    EXPECT_EQ(
        Json::parse(
            post(SealedBody(RequestDocument("init", {}).dump(), exchangeKey)).body)["errcode"],
        "0");
}

TEST_F(ServiceProtocolTest, KeysAreTriedNewestFirstAndAnOlderOneStillOpens) {
    const std::string older = key();
    const std::string newer = key();
    const std::string request = RequestDocument("init", {}).dump();
    EXPECT_EQ(Json::parse(post(SealedBody(request, older)).body)["errcode"], "0");
    EXPECT_EQ(Json::parse(post(SealedBody(request, newer)).body)["errcode"], "0");
    ExpectRefusal(post(SealedBody(request, newer)), "1005");
}

TEST_F(ServiceProtocolTest, KeysAreKeptPerClientAddress) {
    const std::string body = SealedBody(RequestDocument("init", {}).dump(), key());
    const ServiceAnswer answer = protocol_->answer("10.1.2.3", body, kNow, kUnixNow);
    ExpectRefusal(answer, "1005");
}

TEST_F(ServiceProtocolTest, ATokenExpiresAfterADayOfDisuse) {
    const std::string live = token();
    EXPECT_EQ(call(RequestDocument("newestdraw", {live}), kNow + 23h)["errcode"], "0");
    EXPECT_EQ(call(RequestDocument("newestdraw", {live}), kNow + 46h)["errcode"], "0");
    const Json reply = call(RequestDocument("newestdraw", {live}), kNow + 71h);
    EXPECT_EQ(reply["errcode"], "1003");
}

TEST_F(ServiceProtocolTest, BodiesUpTo64KiBAreReadAndLargerOnesGet413) {
    key();
    std::string body = "DATA=" + std::string(ServiceProtocol::kMaxBody - 5, 'A');
    ASSERT_EQ(body.size(), 65536u);
    ExpectRefusal(post(body), "1004");
    body += "AB";
    EXPECT_EQ(post(body).status, 413);
}

} // namespace
} // namespace zorlith
