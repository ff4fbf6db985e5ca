#include "download.h"
#include "updater_test_support.h"

#include <gtest/gtest.h>

namespace zorlith::testing {
namespace {

// An in-process HTTP server on a free loopback port.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        serving_ = std::thread([this] { server_.listen_after_bind(); });
        ASSERT_TRUE(WaitFor([this] { return server_.is_running(); }));
    }
    void TearDown() override {
        release_ = true;
        server_.stop();
        serving_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // Downloads into a fresh file; the file's bytes land in `body`.
    std::optional<std::string> download(const std::string& path, const DownloadLimits& limits,
                                        std::string& body, const DownloadProgress& progress = {},
                                        const std::atomic<bool>* cancel = nullptr) {
        const fs::path target = temp_.path() / "download";
        const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        auto problem = DownloadToFile(fd, url(path), limits, progress, cancel);
        ::close(fd);
        body = ReadBytes(target);
        return problem;
    }

    httplib::Server server_;
    // Lets a handler that holds its answer back finish; it outlives every handler.
    std::atomic<bool> release_{false};
    int port_ = 0;
    std::thread serving_;
    TempDir temp_;
};

std::string Payload(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 % 251);
    }
    return bytes;
}

TEST_F(DownloadTest, WritesTheWholeBodyAndReportsProgress) {
    const std::string payload = Payload(300000);
    server_.Get("/file", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(payload, "application/octet-stream");
    });
    int64_t lastReceived = 0;
    int64_t lastExpected = 0;
    std::string body;
    EXPECT_EQ(download("/file", {}, body,
                       [&](int64_t received, int64_t expected) {
                           lastReceived = received;
                           lastExpected = expected;
                       }),
              std::nullopt);
    EXPECT_EQ(body, payload);
    EXPECT_EQ(lastReceived, 300000);
    EXPECT_EQ(lastExpected, 300000);
}

TEST_F(DownloadTest, FollowsARedirect) {
    server_.Get("/old",
                [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    server_.Get("/new", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("new build", "application/octet-stream");
    });
    std::string body;
    EXPECT_EQ(download("/old", {}, body), std::nullopt);
    EXPECT_EQ(body, "new build");
}

TEST_F(DownloadTest, AnErrorStatusFails) {
    std::string body;
    const auto problem = download("/missing", {}, body);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("HTTP 404"), std::string::npos) << *problem;
}

TEST_F(DownloadTest, ABodyAboveTheLimitFailsWhetherAnnouncedOrNot) {
    const std::string payload = Payload(5000);
    server_.Get("/announced", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(payload, "application/octet-stream");
    });
    server_.Get("/chunked", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream",
                                         [&](size_t offset, httplib::DataSink& sink) {
                                             if (offset >= payload.size()) {
                                                 sink.done();
                                                 return true;
                                             }
                                             return sink.write(payload.data() + offset, 1000);
                                         });
    });
    DownloadLimits limits;
    limits.maxBytes = 4096;
    for (const char* path : {"/announced", "/chunked"}) {
        std::string body;
        const auto problem = download(path, limits, body);
        ASSERT_TRUE(problem.has_value()) << path;
        EXPECT_NE(problem->find("上限"), std::string::npos) << *problem;
        EXPECT_LE(body.size(), 4096U) << path;
    }
}

TEST_F(DownloadTest, AConnectionCutBeforeTheAnnouncedLengthFails) {
    const std::string payload = Payload(20000);
    server_.Get("/cut", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(payload.size(), "application/octet-stream",
                                 [&](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset >= 8000) {
                                         return false;
                                     }
                                     return sink.write(payload.data() + offset, 8000);
                                 });
    });
    std::string body;
    const auto problem = download("/cut", {}, body);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("下载中途断开"), std::string::npos) << *problem;
}

TEST_F(DownloadTest, AServerThatNeverAnswersRunsIntoTheTimeout) {
    server_.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
        WaitFor([this] { return release_.load(); }, std::chrono::seconds(10));
        res.set_content("late", "text/plain");
    });
    DownloadLimits limits;
    limits.totalTimeoutSeconds = 1;
    std::string body;
    const auto problem = download("/silent", limits, body);
    release_ = true;
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("超时"), std::string::npos) << *problem;
}

TEST_F(DownloadTest, OnlyHttpAndHttpsAreFetched) {
    const fs::path local = temp_.path() / "local";
    WriteBytes(local, "local file");
    const int fd = ::open((temp_.path() / "download").c_str(), O_WRONLY | O_CREAT, 0600);
    const auto problem = DownloadToFile(fd, "file://" + local.string(), {}, {});
    ::close(fd);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("不是 http 或 https"), std::string::npos) << *problem;
    EXPECT_EQ(ReadBytes(temp_.path() / "download"), "");
}

TEST_F(DownloadTest, CancellingStopsTheDownload) {
    const std::string payload = Payload(100000);
    server_.Get("/file", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(payload, "application/octet-stream");
    });
    const std::atomic<bool> cancel{true};
    std::string body;
    const auto problem = download("/file", {}, body, {}, &cancel);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("已取消"), std::string::npos) << *problem;
}

} // namespace
} // namespace zorlith::testing
