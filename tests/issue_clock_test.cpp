#include "predict/issue_clock.h"
#include "service/service_client.h"
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

constexpr const char* kKey = "q1w2e3r4t5y6u7i8";
constexpr int64_t kNow = 1'700'000'000; // 2023-11-14 22:13:20 UTC

ScriptedTransport::Answer ProtectedData(std::string inner) {
    return [inner = std::move(inner)](const ScriptedTransport::Request& r) {
        const auto request = nlohmann::json::parse(OpenedRequest(r.body, kKey));
        const int32_t rand = std::stoi(request["rand"].get<std::string>());
        return nlohmann::json{{"errcode", "0"}, {"msg", ""}, {"data", SealData(inner, rand)}}
            .dump();
    };
}

class IssueClockTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        clock.setNow(kNow);
        transport.queueText(KeyReply(kKey));
        transport.queue(ProtectedData(
            R"({"drawurl":"http://127.0.0.1:1/","newphase":"http://127.0.0.1:1/newphase","token":"t"})"));
        ASSERT_TRUE(client.init("http://127.0.0.1:1/init", 112));
        requestsBefore = transport.requests().size();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }

    // The answers of one poll: the latest-issue text, the key exchange and the newest draw.
    void queuePoll(const std::string& latestIssue, const std::string& newestText) {
        transport.queueText(latestIssue);
        transport.queueText(KeyReply(kKey));
        transport.queue(ProtectedData(nlohmann::json{{"data", newestText}}.dump()));
    }
    static std::string Newest(const std::string& issue, const std::string& comingTime) {
        return "pk10| |" + issue + "| |2023-11-14 22:08:20| |03,10,06,07,04,05,08,02,01,09| |-77" +
               "| |pk10| |" + std::to_string(std::stoll(issue) + 1) + "| |" + comingTime;
    }
    size_t requestsSince() const { return transport.requests().size() - requestsBefore; }

    ScriptedTransport transport;
    SettableClock clock;
    ServiceClient client{transport, clock};
    IssueClock issueClock{client, clock};
    size_t requestsBefore = 0;
};

TEST_F(IssueClockTest, FirstPollAdoptsTheNewestDraw) {
    queuePoll("556342", Newest("556342", "2023-11-14 22:18:20"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    EXPECT_EQ(update.newest.issue, "556342");
    EXPECT_EQ(update.newest.numbers, "03,10,06,07,04,05,08,02,01,09");
    EXPECT_EQ(update.newest.seed, -77);
    EXPECT_EQ(update.coming.issue, "556343");
    EXPECT_EQ(update.coming.drawTime, "2023-11-14 22:18:20");
    EXPECT_EQ(issueClock.current().newest, update.newest);
    EXPECT_EQ(issueClock.nextDrawTime(), kNow + 300);
    EXPECT_EQ(issueClock.取剩余时间文本(), "05：00");
    EXPECT_EQ(issueClock.lastPollTime(), kNow);
    EXPECT_FALSE(issueClock.pollBusy());
    ASSERT_EQ(requestsSince(), 3U);
    EXPECT_EQ(transport.requests()[requestsBefore].method, "GET");
    EXPECT_EQ(transport.requests()[requestsBefore].url, "http://127.0.0.1:1/newphase");
    EXPECT_EQ(transport.requests()[requestsBefore + 2].url, "http://127.0.0.1:1/");
}

TEST_F(IssueClockTest, PollsAtMostEverySixSeconds) {
    queuePoll("556342", Newest("556342", "2023-11-14 22:13:20"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    const size_t afterFirst = requestsSince();
    clock.advance(5);
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(requestsSince(), afterFirst);
    clock.advance(1);
    queuePoll("556343", Newest("556343", "2023-11-14 22:18:26"));
    EXPECT_TRUE(issueClock.刷新开奖(update));
    EXPECT_EQ(update.newest.issue, "556343");
    EXPECT_EQ(requestsSince(), afterFirst + 3);
}

TEST_F(IssueClockTest, NoPollBeforeTheScheduledTime) {
    queuePoll("556342", Newest("556342", "2023-11-14 22:18:20"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    const size_t afterFirst = requestsSince();
    clock.advance(299);
    EXPECT_EQ(issueClock.取剩余时间文本(), "00：01");
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(requestsSince(), afterFirst);
    clock.advance(1);
    EXPECT_EQ(issueClock.取剩余时间文本(), "00：00");
    clock.advance(1);
    EXPECT_EQ(issueClock.取剩余时间文本(), "");
    queuePoll("556343", Newest("556343", "2023-11-14 22:23:20"));
    EXPECT_TRUE(issueClock.刷新开奖(update));
}

TEST_F(IssueClockTest, UnchangedLatestIssueStopsThePollAfterTheGet) {
    queuePoll("556342", Newest("556342", "2023-11-14 22:13:20"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    const size_t afterFirst = requestsSince();
    clock.advance(6);
    // The latest-issue text may carry a longer form of the number; the last three characters
    // of both are compared.
    transport.queueText("20556342");
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(requestsSince(), afterFirst + 1);
    EXPECT_EQ(issueClock.lastPollTime(), kNow + 6);
    EXPECT_FALSE(issueClock.pollBusy());
}

TEST_F(IssueClockTest, SameIssueAgainIsNotANewDraw) {
    queuePoll("556342", Newest("556342", "2023-11-14 22:13:20"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    clock.advance(6);
    queuePoll("556343", Newest("556342", "2023-11-14 22:13:20"));
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(issueClock.current().newest.issue, "556342");
}

TEST_F(IssueClockTest, ReplyOfSevenPiecesLeavesTheCallersPair) {
    queuePoll("556342", "1| |556342| |t| |n| |5| |6| |7");
    DrawUpdate update;
    update.newest.issue = "keep";
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(update.newest.issue, "keep");
    EXPECT_EQ(issueClock.nextDrawTime(), 0);
    EXPECT_FALSE(issueClock.pollBusy());
}

TEST_F(IssueClockTest, EmptyLatestIssueAtStartFindsNothing) {
    transport.queueText("");
    DrawUpdate update;
    EXPECT_FALSE(issueClock.刷新开奖(update));
    EXPECT_EQ(requestsSince(), 1U);
    EXPECT_EQ(client.lastError(), "最新期号获取失败!");
}

TEST_F(IssueClockTest, NestedPollWhileBusyReturnsAtOnce) {
    bool nestedResult = true;
    bool busyDuringPoll = false;
    transport.queue([&](const ScriptedTransport::Request&) {
        busyDuringPoll = issueClock.pollBusy();
        DrawUpdate nested;
        nestedResult = issueClock.刷新开奖(nested);
        return std::string("556342");
    });
    transport.queueText(KeyReply(kKey));
    transport.queue(
        ProtectedData(nlohmann::json{{"data", Newest("556342", "2023-11-14 22:18:20")}}.dump()));
    DrawUpdate update;
    EXPECT_TRUE(issueClock.刷新开奖(update));
    EXPECT_TRUE(busyDuringPoll);
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(requestsSince(), 3U);
}

TEST_F(IssueClockTest, UnreadableNextTimeKeepsPolling) {
    queuePoll("556342", Newest("556342", "soon"));
    DrawUpdate update;
    ASSERT_TRUE(issueClock.刷新开奖(update));
    EXPECT_EQ(issueClock.nextDrawTime(), 0);
    EXPECT_EQ(issueClock.取剩余时间文本(), "");
    clock.advance(6);
    queuePoll("556343", Newest("556343", "2023-11-14 22:18:26"));
    EXPECT_TRUE(issueClock.刷新开奖(update));
}

struct SecondsRow {
    int32_t seconds;
    std::string text;
};

void PrintTo(const SecondsRow& row, std::ostream* out) {
    *out << row.seconds;
}

class SecondsToTextTest : public testing::TestWithParam<SecondsRow> {};

TEST_P(SecondsToTextTest, WritesMinutesAndSeconds) {
    EXPECT_EQ(IssueClock::秒数到文本(GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, SecondsToTextTest,
                         testing::Values(SecondsRow{-1, ""}, SecondsRow{0, "00：00"},
                                         SecondsRow{59, "00：59"}, SecondsRow{60, "01：00"},
                                         SecondsRow{600, "10：00"}, SecondsRow{7530, "125：30"}));

struct DateTimeRow {
    std::string text;
    int64_t unix;
};

void PrintTo(const DateTimeRow& row, std::ostream* out) {
    *out << "\"" << row.text << "\"";
}

class LocalTimeToUnixTest : public testing::TestWithParam<DateTimeRow> {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
};

TEST_P(LocalTimeToUnixTest, ReadsBothDateForms) {
    EXPECT_EQ(LocalTimeToUnix(GetParam().text), GetParam().unix);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalTimeToUnixTest,
    testing::Values(DateTimeRow{"2023-11-14 22:13:20", kNow},
                    DateTimeRow{"2023/11/14 22:13:20", kNow}, DateTimeRow{"2023-11-14T22:13:20", 0},
                    DateTimeRow{"2023-11/14 22:13:20", 0}, DateTimeRow{"2023-13-14 22:13:20", 0},
                    DateTimeRow{"2023-11-14 22:13:2x", 0}, DateTimeRow{"2023-11-14 22:13:20 ", 0},
                    DateTimeRow{"", 0}));

TEST(LocalTimeToUnixZoneTest, ReadsTheTextAsLocalTime) {
    setenv("TZ", "CST-8", 1);
    tzset();
    EXPECT_EQ(LocalTimeToUnix("2023-11-15 06:13:20"), kNow);
    unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace zorlith
