// The console's start-up when the configured endpoint fails and the local fallback on port
// 19200 answers, or fails too. Skipped when something else already holds the port.
#include "cli_process.h"
#include "protocol_test_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <ostream>
#include <sys/socket.h>
#include <unistd.h>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::Fault;
using testing_support::InitFailureRow;
using testing_support::ProcessResult;
using testing_support::ProtocolTestServer;

constexpr int kFallbackPort = 19200;

// A loopback URL where nothing answers.
std::string DeadUrl() {
    const ProtocolTestServer stopped(1);
    return stopped.url("/appinit.php");
}

// True when something accepts connections on the port. A second listener that shares the
// port would split the connections between itself and the test's server.
bool PortAnswers(int port) {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered =
        connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return answered;
}

class CliFallbackTest : public testing::Test {
protected:
    void SetUp() override {
        if (PortAnswers(kFallbackPort)) {
            GTEST_SKIP() << "port 19200 is in use";
        }
        fallback = std::make_unique<ProtocolTestServer>(60, -1, kFallbackPort);
        if (!fallback->listening()) {
            GTEST_SKIP() << "port 19200 cannot be bound";
        }
    }
    ProcessResult run() {
        return testing_support::RunProcess(ZORLITH_CLI, {"--once", "--service", DeadUrl()}, 60s);
    }

    std::unique_ptr<ProtocolTestServer> fallback;
};

TEST_F(CliFallbackTest, FallbackServesWhenTheServiceFails) {
    const ProcessResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("当前计划统计：总计"), std::string::npos);
    EXPECT_EQ(fallback->kinds().front(), "GETRAND");
}

class CliInitFailureTest : public CliFallbackTest,
                           public testing::WithParamInterface<InitFailureRow> {};

TEST_P(CliInitFailureTest, PrintsTheFallbacksErrorAndExitsOne) {
    fallback->setFault(GetParam().target, GetParam().fault);
    const ProcessResult result = run();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliInitFailureTest,
    testing::Values(InitFailureRow{"EmptyBody", "init", Fault::EmptyBody,
                                   "初始化连接服务器失败！：服务器访问失败! 错误代码：9999"},
                    InitFailureRow{"KeyExchangeEmpty", "GETRAND", Fault::EmptyBody,
                                   "初始化连接服务器失败！：服务器访问失败! 错误代码：9999"},
                    InitFailureRow{"Http500", "init", Fault::Http500Html,
                                   "初始化连接服务器失败！：服务器访问错误! 错误代码：9999"},
                    InitFailureRow{"NotJson", "GETRAND", Fault::NotJson,
                                   "初始化连接服务器失败！：服务器访问错误! 错误代码：9999"},
                    InitFailureRow{"Refused", "init", Fault::ErrcodeOne,
                                   "初始化连接服务器失败！：测试服务拒绝 错误代码：1"},
                    InitFailureRow{"DataDoesNotOpen", "init", Fault::DataDoesNotOpen,
                                   "初始化连接服务器失败！：服务器访问错误!2 错误代码：9999"}),
    [](const testing::TestParamInfo<InitFailureRow>& row) { return row.param.name; });

} // namespace
} // namespace zorlith
