#include "protocol_test_server.h"
#include "service_test_support.h"
#include "startup/draw_timer.h"
#include "startup/startup_stages.h"
#include "startup_test_support.h"

#include <chrono>
#include <gtest/gtest.h>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::ProtocolTestServer;
using testing_support::RecordingView;
using testing_support::SettableClock;

int64_t RealNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Start-up against a server whose next draw is five minutes away, with a clock the test moves.
class DrawTimerTest : public testing::Test {
protected:
    void SetUp() override {
        clock.setNow(RealNow());
        StartupOptions options;
        options.primaryEndpoint = server.url("/");
        options.fallbackEndpoint = server.url("/");
        ASSERT_EQ(RunStartup(context, view, view, options), StartupOutcome::Ready);
        view.events.clear();
    }

    ProtocolTestServer server{60, 300};
    CurlTransport transport{CurlTransport::Limits{1000ms, 2000ms}};
    SettableClock clock;
    AppContext context{transport, clock};
    RecordingView view;
    DrawTimer timer{context, view};
};

TEST_F(DrawTimerTest, WorksOnEveryThirdTick) {
    EXPECT_FALSE(timer.tick());
    EXPECT_FALSE(timer.tick());
    EXPECT_TRUE(view.events.empty());
    EXPECT_FALSE(timer.tick());
    EXPECT_EQ(view.events.size(), 1U);
    EXPECT_TRUE(view.events[0].starts_with("value:0")) << view.events[0];
}

TEST_F(DrawTimerTest, CountdownLabelsAreWrittenOnlyWhenTheyChange) {
    EXPECT_FALSE(timer.step());
    EXPECT_FALSE(timer.step());
    const auto firstValues = view.only("value:");
    ASSERT_EQ(firstValues.size(), 1U);
    EXPECT_TRUE(view.only("caption:").empty()); // the counting caption stands from the start
    clock.advance(1);
    EXPECT_FALSE(timer.step());
    EXPECT_EQ(view.only("value:").size(), 2U);
}

TEST_F(DrawTimerTest, DueDrawIsPolledUntilItArrives) {
    const size_t exchangesAtStart = server.exchanges().size();
    clock.advance(301);
    EXPECT_FALSE(timer.step());
    EXPECT_EQ(view.events, (std::vector<std::string>{"value:", "caption:正在开奖……"}));
    // Only the latest-issue text was read: it still names the current draw.
    EXPECT_EQ(server.exchanges().size(), exchangesAtStart + 1);

    view.events.clear();
    EXPECT_FALSE(timer.step()); // within 6 s of the last attempt: no request at all
    EXPECT_TRUE(view.events.empty());
    EXPECT_EQ(server.exchanges().size(), exchangesAtStart + 1);

    server.addDraw(900); // the next one is due well after the moved clock
    clock.advance(6);
    EXPECT_TRUE(timer.step());
    const std::string issue = server.newestIssue();
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"latest:PK拾第" + issue + "期：|" + server.newestNumbers(),
                                        "plan", "row:" + issue + "|" + server.newestNumbers()}));
    EXPECT_EQ(context.history.size(), 51U);
    EXPECT_EQ(context.history.front().issue, issue);
    EXPECT_EQ(context.latestUpdate.newest.issue, issue);
    EXPECT_NE(view.planText.find(issue), std::string::npos);

    view.events.clear();
    EXPECT_FALSE(timer.step());
    EXPECT_EQ(view.only("caption:"), std::vector<std::string>{"caption:开奖剩余时间： "});
}

TEST_F(DrawTimerTest, TwoDrawsStackNewestFirst) {
    for (int draw = 0; draw < 2; ++draw) {
        server.addDraw(-1);
        clock.advance(400);
        EXPECT_TRUE(timer.step());
    }
    EXPECT_EQ(context.history.size(), 52U);
    const auto rows = view.only("row:");
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[1], "row:" + context.history[0].issue + "|" + context.history[0].numbers);
    EXPECT_EQ(rows[0], "row:" + context.history[1].issue + "|" + context.history[1].numbers);
    EXPECT_EQ(std::stoll(context.history[0].issue), std::stoll(context.history[1].issue) + 1);
}

} // namespace
} // namespace zorlith
