#include "predict/random_source.h"
#include "protocol_test_server.h"
#include "service_test_support.h"
#include "startup/plan_setup.h"
#include "startup/startup_stages.h"
#include "startup_test_support.h"

#include <chrono>
#include <gtest/gtest.h>
#include <ostream>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::Fault;
using testing_support::ProtocolTestServer;
using testing_support::RecordingView;

// A loopback address where nothing answers: the port of a server that has been stopped.
std::string DeadEndpoint() {
    const ProtocolTestServer stopped(1);
    return stopped.url("/appinit.php");
}

class StartupStagesTest : public testing::Test {
protected:
    StartupOutcome start() {
        options.primaryEndpoint = server.url("/");
        options.fallbackEndpoint = DeadEndpoint();
        return RunStartup(context, view, view, options);
    }

    ProtocolTestServer server;
    CurlTransport transport{CurlTransport::Limits{1000ms, 2000ms}};
    FixedUptimeClock clock{4242};
    AppContext context{transport, clock};
    RecordingView view;
    StartupOptions options;
};

TEST_F(StartupStagesTest, BuildsThePlanFromTheLatestFiftyDraws) {
    ASSERT_EQ(start(), StartupOutcome::Ready);

    EXPECT_EQ(view.events.front(), "status:正在连接服务器……");
    EXPECT_EQ(view.events.back(), "closeStatus");
    EXPECT_EQ(view.only("links:"), std::vector<std::string>{"links:走势图=http://127.0.0.1/trend;"
                                                            "使用说明=http://127.0.0.1/help;"});
    EXPECT_EQ(view.only("page:"), std::vector<std::string>{"page:" + server.url("/page")});
    EXPECT_EQ(view.only("latest:"),
              std::vector<std::string>{"latest:PK拾第" + server.newestIssue() + "期：|" +
                                       server.newestNumbers()});
    EXPECT_TRUE(view.only("message:").empty());

    // Rows come oldest first, so the newest ends on top of the list.
    const auto rows = view.only("row:");
    ASSERT_EQ(rows.size(), 50U);
    EXPECT_EQ(rows.back(), "row:" + server.newestIssue() + "|" + server.newestNumbers());
    EXPECT_EQ(rows.front(),
              "row:" + context.history.back().issue + "|" + context.history.back().numbers);
    EXPECT_EQ(context.history.size(), 50U);
    EXPECT_EQ(context.history.front().issue, server.newestIssue());

    EXPECT_EQ(view.planWrites, 1);
    EXPECT_NE(view.planText.find("当前计划统计：总计"), std::string::npos);
    EXPECT_EQ(context.presenter.planName(), "冠军单双");
    EXPECT_EQ(context.issueClock.current().newest.issue, server.newestIssue());

    EXPECT_EQ(server.kinds(),
              (std::vector<std::string>{"GETRAND", "init", "GET /newphase", "GETRAND", "newestdraw",
                                        "GETRAND", "select_draw"}));
}

TEST_F(StartupStagesTest, ReplayIsThePresentersOwn) {
    ResetRandom();
    ASSERT_EQ(start(), StartupOutcome::Ready);
    // The console's replay of the same history writes the same plan.
    ResetRandom();
    PlanEngine engine(clock);
    ConfigurePlan(engine, "冠军单双", PlanSettings{});
    RecordingView other;
    PlanPresenter presenter(engine, clock);
    presenter.setup(other, "冠军单双");
    presenter.replay(context.history, context.history.size());
    EXPECT_EQ(other.planText, view.planText);
}

TEST_F(StartupStagesTest, FallbackServesWhenThePrimaryFails) {
    options.primaryEndpoint = DeadEndpoint();
    options.fallbackEndpoint = server.url("/");
    ASSERT_EQ(RunStartup(context, view, view, options), StartupOutcome::Ready);
    EXPECT_EQ(context.config.drawurl, server.url("/"));
}

TEST_F(StartupStagesTest, BothEndpointsFailingIsReportedAfterTheStatusCloses) {
    options.primaryEndpoint = DeadEndpoint();
    options.fallbackEndpoint = DeadEndpoint();
    ASSERT_EQ(RunStartup(context, view, view, options), StartupOutcome::Failed);
    EXPECT_EQ(view.events, (std::vector<std::string>{
                               "status:正在连接服务器……", "closeStatus",
                               "message:初始化连接服务器失败！：服务器访问失败! 错误代码：9999"}));
}

TEST_F(StartupStagesTest, RefusedPrimaryAndDeadFallbackShowTheFallbacksError) {
    server.setFault("init", Fault::ErrcodeOne);
    EXPECT_EQ(start(), StartupOutcome::Failed);
    EXPECT_EQ(
        view.only("message:"),
        std::vector<std::string>{"message:初始化连接服务器失败！：服务器访问失败! 错误代码：9999"});
}

TEST_F(StartupStagesTest, DeclinedUpdateEndsStartUp) {
    server.setVersion("1.2");
    view.answer = false;
    EXPECT_EQ(start(), StartupOutcome::UpdateDeclined);
    EXPECT_EQ(view.events.back(), "ask:ZorlithPK10平刷冠军单双已经更新至1.2\r\n点击确定立即更新");
    EXPECT_EQ(view.events[view.events.size() - 2], "closeStatus");
    EXPECT_EQ(server.kinds(), (std::vector<std::string>{"GETRAND", "init"}));
    EXPECT_EQ(view.planWrites, 0);
}

TEST_F(StartupStagesTest, AcceptedUpdateHandsOff) {
    server.setVersion("1.9");
    view.answer = true;
    EXPECT_EQ(start(), StartupOutcome::UpdateAccepted);
    EXPECT_EQ(view.events.back(), "handoff");
    EXPECT_EQ(view.offer.announcedVersion, "1.9");
    EXPECT_EQ(view.offer.updateUrl, server.url("/download/zorlith-pk10"));
}

struct DrawFailureRow {
    std::string name;
    Fault fault;
    std::string rows; // used when fault is None
    std::string firstMessage;
};

void PrintTo(const DrawFailureRow& row, std::ostream* out) {
    *out << row.name;
}

class DrawTableFailureTest : public StartupStagesTest,
                             public testing::WithParamInterface<DrawFailureRow> {};

TEST_P(DrawTableFailureTest, ShowsBothMessagesAndKeepsTheStatusOpen) {
    if (GetParam().fault == Fault::None) {
        server.setRowsText(GetParam().rows);
    } else {
        server.setFault("select_draw", GetParam().fault);
    }
    EXPECT_EQ(start(), StartupOutcome::Failed);
    EXPECT_EQ(view.only("message:"), (std::vector<std::string>{"message:" + GetParam().firstMessage,
                                                               "message:获取网络开奖数据失败！"}));
    EXPECT_TRUE(view.only("closeStatus").empty());
    EXPECT_EQ(view.planWrites, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DrawTableFailureTest,
    testing::Values(
        DrawFailureRow{"EmptyRows", Fault::None, "", "查询最近开奖数据失败！开奖数据格式错误"},
        DrawFailureRow{"Refused", Fault::ErrcodeOne, "",
                       "查询最近开奖数据失败！获取最新开奖数据失败!测试服务拒绝 错误代码：1"},
        DrawFailureRow{"Http500", Fault::Http500Html, "",
                       "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误! 错误代码：9999"},
        DrawFailureRow{"NotJson", Fault::NotJson, "",
                       "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误! 错误代码：9999"},
        DrawFailureRow{"EmptyBody", Fault::EmptyBody, "",
                       "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问失败! 错误代码：9999"},
        DrawFailureRow{
            "DataDoesNotOpen", Fault::DataDoesNotOpen, "",
            "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误!2 错误代码：9999"}),
    [](const testing::TestParamInfo<DrawFailureRow>& row) { return row.param.name; });

TEST_F(StartupStagesTest, FailedNewestDrawLeavesTheLabelsEmpty) {
    server.setFault("newestdraw", Fault::ErrcodeOne);
    ASSERT_EQ(start(), StartupOutcome::Ready);
    EXPECT_EQ(view.only("latest:"), std::vector<std::string>{"latest:PK拾第期：|"});
    EXPECT_EQ(context.issueClock.current().newest.issue, "");
}

TEST(StartupShortTableTest, FewerRowsLeaveEmptyRecordsAtTheEnd) {
    ProtocolTestServer server(3);
    CurlTransport transport;
    FixedUptimeClock clock{4242};
    AppContext context(transport, clock);
    RecordingView view;
    StartupOptions options;
    options.primaryEndpoint = server.url("/");
    options.fallbackEndpoint = DeadEndpoint();
    ASSERT_EQ(RunStartup(context, view, view, options), StartupOutcome::Ready);
    EXPECT_EQ(context.history.size(), 50U);
    EXPECT_EQ(context.history[2].issue, "556300");
    EXPECT_EQ(context.history[3], DrawRecord{});
    const auto rows = view.only("row:");
    ASSERT_EQ(rows.size(), 50U);
    EXPECT_EQ(rows.front(), "row:|");
}

struct VersionRow {
    std::string own;
    std::string announced;
    bool newer;
};

void PrintTo(const VersionRow& row, std::ostream* out) {
    *out << row.own << " vs \"" << row.announced << "\"";
}

class VersionTest : public testing::TestWithParam<VersionRow> {};

TEST_P(VersionTest, ComparesTheLeadingNumbers) {
    EXPECT_EQ(IsNewerVersion(GetParam().announced, GetParam().own), GetParam().newer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VersionTest,
    testing::Values(VersionRow{"1.15", "1.2", true}, VersionRow{"1.15", "1.15", false},
                    VersionRow{"1.15", "1.150", false}, VersionRow{"1.15", "1.9", true},
                    VersionRow{"1.9", "1.10", false}, VersionRow{"1.15", "", false},
                    VersionRow{"1.15", "v2", false}, VersionRow{"1.15", "2.0beta", true},
                    VersionRow{"1.15", " 1.16", true}, VersionRow{"1.15", "-3", false},
                    VersionRow{"1.15", "1e400", false}));

TEST(StartupTextsTest, QuestionAndLabel) {
    EXPECT_EQ(UpdateQuestion("1.2"), "ZorlithPK10平刷冠军单双已经更新至1.2\r\n点击确定立即更新");
    EXPECT_EQ(IssueLabel("556342"), "PK拾第556342期：");
    EXPECT_EQ(FallbackEndpoint(), "http://127.0.0.1:19200/");
    EXPECT_TRUE(PrimaryEndpoint().ends_with("/appinit.php"));
}

} // namespace
} // namespace zorlith
