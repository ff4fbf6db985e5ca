// The project's own service client against the real zorlith-drawd binary.
#include "drawd_test_support.h"
#include "predict/clock.h"
#include "service/http_transport.h"
#include "service/service_client.h"

#include <gtest/gtest.h>
#include <regex>

namespace zorlith {
namespace {

using namespace std::chrono_literals;

class DrawdClientTest : public ::testing::Test {
protected:
    DrawdClientTest()
        : drawd_({"--listen", "127.0.0.1:" + std::to_string(port_), "--db",
                  (dir_.path() / "draws.sqlite").string(), "--period", "2"},
                 dir_.path() / "drawd.log") {}

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

    testing::TempDir dir_;
    int port_ = testing::FreeLoopbackPort();
    testing::DrawdProcess drawd_;
    CurlTransport transport_;
    SystemClock clock_;
};

TEST_F(DrawdClientTest, InitSelectNewestAndLatestIssueWorkEndToEnd) {
    ASSERT_TRUE(testing::WaitUntilServing(port_)) << drawd_.log();
    ServiceClient client(transport_, clock_);
    ASSERT_TRUE(client.init(url(), 112)) << client.lastError();
    AppConfig config;
    client.fetchAppConfig(config);
    EXPECT_EQ(config.drawurl, url());
    EXPECT_EQ(config.version, "1.15");
    EXPECT_GE(config.linkTitles.size(), 2u);
    EXPECT_FALSE(client.accessToken().empty());

    DrawRows rows;
    ASSERT_TRUE(client.selectDraws(50, rows)) << client.lastError();
    ASSERT_EQ(rows.size(), 50u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        EXPECT_TRUE(std::regex_match(row[3], std::regex("(\\d\\d,){9}\\d\\d")));
    }

    std::vector<std::string> newest;
    ASSERT_TRUE(client.newestDraw(newest));
    ASSERT_EQ(newest.size(), 8u);
    EXPECT_EQ(std::stoll(newest[6]), std::stoll(newest[1]) + 1);
    EXPECT_GE(std::stoll(newest[1]), std::stoll(rows[0][1]));
    const std::string latest = client.latestIssue();
    EXPECT_GE(std::stoll(latest), std::stoll(newest[1]));
}

TEST_F(DrawdClientTest, ARefusedTokenComesBackAsTheServicesOwnMessage) {
    ASSERT_TRUE(testing::WaitUntilServing(port_)) << drawd_.log();
    ServiceClient client(transport_, clock_);
    ASSERT_TRUE(client.init(url(), 112)) << client.lastError();
    client.setAccessToken("not-a-token");
    DrawRows rows;
    EXPECT_FALSE(client.selectDraws(10, rows));
    EXPECT_NE(client.lastError().find("1003"), std::string::npos) << client.lastError();
}

TEST_F(DrawdClientTest, AWrongAppIdIsRefused) {
    ASSERT_TRUE(testing::WaitUntilServing(port_)) << drawd_.log();
    ServiceClient client(transport_, clock_);
    EXPECT_FALSE(client.init(url(), 113));
    EXPECT_NE(client.lastError().find("1002"), std::string::npos) << client.lastError();
}

} // namespace
} // namespace zorlith
