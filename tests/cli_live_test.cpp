// Runs zorlith-pk10-cli in its live mode as a separate process against the in-test server.
#include "cli_process.h"
#include "protocol_test_server.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::Fault;
using testing_support::ProcessResult;
using testing_support::ProtocolTestServer;
using testing_support::RunProcess;

constexpr const char* kLiveLineStart = "实时计划统计：";

ProcessResult RunCli(const std::vector<std::string>& args, std::chrono::seconds limit = 40s,
                     const std::function<int(const std::string&)>& watch = {}) {
    return RunProcess(ZORLITH_CLI, args, limit, watch);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(CliLiveTest, OncePrintsThePlanInTheWindowsRequestOrder) {
    ProtocolTestServer server;
    const ProcessResult result = RunCli({"--once", "--service", server.url()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("当前计划统计：总计"), std::string::npos);
    EXPECT_NE(
        result.out.find(std::to_string(std::stoll(server.newestIssue()) + 1) + "期 冠军单双【"),
        std::string::npos);
    EXPECT_NE(result.out.find("彩票有风险，投注需谨慎！\n"), std::string::npos);
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    // The live record follows the statistics as the last line: one open live cycle so far.
    const size_t live = result.out.rfind(kLiveLineStart);
    ASSERT_NE(live, std::string::npos);
    EXPECT_TRUE(
        result.out.substr(live).starts_with("实时计划统计：总计1期，中0期，挂0期，中奖率为0%"));
    EXPECT_EQ(result.out.find('\n', live), result.out.size() - 1);
    EXPECT_EQ(server.kinds(),
              (std::vector<std::string>{"GETRAND", "init", "GET /newphase", "GETRAND", "newestdraw",
                                        "GETRAND", "select_draw"}));
}

TEST(CliLiveTest, PlanOptionChoosesThePlan) {
    ProtocolTestServer server;
    const ProcessResult result =
        RunCli({"--once", "--plan", "冠军大小", "--service", server.url()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("期 冠军大小【"), std::string::npos);
}

TEST(CliLiveTest, FollowsLiveDrawsAndStopsOnCtrlC) {
    ProtocolTestServer server;
    std::string newIssue;
    bool drawAdded = false;
    const ProcessResult result =
        RunCli({"--service", server.url()}, 60s, [&](const std::string& out) {
            if (!drawAdded && out.find(kLiveLineStart) != std::string::npos) {
                server.addDraw(300);
                newIssue = server.newestIssue();
                drawAdded = true;
            }
            const bool secondPlan = Count(out, kLiveLineStart) == 2;
            return drawAdded && secondPlan ? SIGINT : 0;
        });
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    ASSERT_TRUE(drawAdded);
    const std::string drawLine = "PK拾第" + newIssue + "期：" + server.newestNumbers() + "\n";
    const size_t drawAt = result.out.find(drawLine);
    ASSERT_NE(drawAt, std::string::npos) << result.out;
    // After the new draw: the new plan text, with the first live cycle decided.
    const std::string after = result.out.substr(drawAt);
    EXPECT_NE(after.find("<" + newIssue + "期>→"), std::string::npos);
    EXPECT_NE(after.find("实时计划统计：总计2期，"), std::string::npos);
}

struct FailureRow {
    std::string name;
    Fault fault;
    std::string rows;
    std::string firstLine;
};

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class CliDrawFailureTest : public testing::TestWithParam<FailureRow> {};

TEST_P(CliDrawFailureTest, PrintsTheWindowsMessagesAndExitsOne) {
    ProtocolTestServer server;
    if (GetParam().fault == Fault::None) {
        server.setRowsText(GetParam().rows);
    } else {
        server.setFault("select_draw", GetParam().fault);
    }
    const ProcessResult result = RunCli({"--once", "--service", server.url()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, GetParam().firstLine + "\n获取网络开奖数据失败！\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliDrawFailureTest,
    testing::Values(
        FailureRow{"EmptyRows", Fault::None, "", "查询最近开奖数据失败！开奖数据格式错误"},
        FailureRow{"ShortRows", Fault::None, "a|+|b|+|c", "查询最近开奖数据失败！开奖数据格式错误"},
        FailureRow{"Refused", Fault::ErrcodeOne, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!测试服务拒绝 错误代码：1"},
        FailureRow{"Http500", Fault::Http500Html, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误! 错误代码：9999"},
        FailureRow{"NotJson", Fault::NotJson, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误! 错误代码：9999"},
        FailureRow{"EmptyBody", Fault::EmptyBody, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问失败! 错误代码：9999"},
        FailureRow{"DataDoesNotOpen", Fault::DataDoesNotOpen, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问错误!2 错误代码：9999"},
        FailureRow{"NeverAnswers", Fault::NeverAnswer, "",
                   "查询最近开奖数据失败！获取最新开奖数据失败!服务器访问失败! 错误代码：9999"}),
    [](const testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

TEST(CliLiveTest, FailingNewestDrawDoesNotStopStartUp) {
    ProtocolTestServer server;
    server.setFault("newestdraw", Fault::DataDoesNotOpen);
    server.setFault("newphase", Fault::EmptyBody);
    const ProcessResult result = RunCli({"--once", "--service", server.url()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find(kLiveLineStart), std::string::npos);
}

TEST(CliLiveTest, NewerVersionPrintsTheQuestionAndExitsZero) {
    ProtocolTestServer server;
    server.setVersion("1.2");
    const ProcessResult result = RunCli({"--service", server.url()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "ZorlithPK10平刷冠军单双已经更新至1.2\n点击确定立即更新\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(server.kinds(), (std::vector<std::string>{"GETRAND", "init"}));
}

struct UsageRow {
    std::string name;
    std::vector<std::string> args;
};

void PrintTo(const UsageRow& row, std::ostream* out) {
    *out << row.name;
}

class CliLiveUsageTest : public testing::TestWithParam<UsageRow> {};

TEST_P(CliLiveUsageTest, RefusesWithOneLineAndExitTwo) {
    const ProcessResult result = RunCli(GetParam().args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Count(result.err, "\n"), 1U) << result.err;
    EXPECT_TRUE(result.err.ends_with("\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliLiveUsageTest,
    testing::Values(UsageRow{"UnknownOption", {"--fast"}},
                    UsageRow{"ServiceWithoutValue", {"--service"}},
                    UsageRow{"OnceWithValue", {"--once=1"}},
                    UsageRow{"UnknownPlan",
                             {"--plan", "冠军单双 ", "--service", "http://127.0.0.1:1/"}},
                    UsageRow{"FullWidthDigits", {"--plan", "冠军５码"}}),
    [](const testing::TestParamInfo<UsageRow>& row) { return row.param.name; });

} // namespace
} // namespace zorlith
