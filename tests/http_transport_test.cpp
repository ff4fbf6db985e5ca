#include "protocol_test_server.h"
#include "service/http_transport.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing_support::ProtocolTestServer;

// A loopback listener that reads one raw request and answers with a fixed response, so that
// the request's bytes (header order included) can be checked exactly.
class RawCaptureServer {
public:
    explicit RawCaptureServer(std::string response) : response_(std::move(response)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serveOne(); });
    }
    ~RawCaptureServer() {
        if (thread_.joinable()) {
            thread_.join();
        }
        close(listener_);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/path"; }
    // The request as received; waits for the server thread to finish.
    std::string request() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return request_;
    }

private:
    void serveOne() {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 10000) != 1) {
            return;
        }
        const int connection = accept(listener_, nullptr, nullptr);
        std::string received;
        char buffer[4096];
        while (!Complete(received)) {
            pollfd readable{connection, POLLIN, 0};
            if (poll(&readable, 1, 10000) != 1) {
                break;
            }
            const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            received.append(buffer, static_cast<size_t>(got));
        }
        request_ = received;
        send(connection, response_.data(), response_.size(), MSG_NOSIGNAL);
        close(connection);
    }

    static bool Complete(const std::string& received) {
        const size_t headEnd = received.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
            return false;
        }
        const size_t lengthAt = received.find("Content-Length: ");
        if (lengthAt == std::string::npos || lengthAt > headEnd) {
            return true;
        }
        const size_t length = std::stoul(received.substr(lengthAt + 16));
        return received.size() >= headEnd + 4 + length;
    }

    std::string response_;
    int listener_ = -1;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

// A port on which nothing listens: bound once and released.
int ClosedPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

const std::string kOkResponse =
    "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello";

TEST(HttpTransportTest, PostSendsExactlyTheSevenHeadersInOrderAndTheBody) {
    RawCaptureServer server(kOkResponse);
    CurlTransport transport;
    const std::string body = "DATA=0A1B2C3D";
    EXPECT_EQ(transport.post(server.url(), body), "hello");

    const std::string request = server.request();
    const size_t port = server.url().find("127.0.0.1:");
    const std::string host = server.url().substr(port, server.url().find('/', port) - port);
    EXPECT_EQ(request, "POST /path HTTP/1.1\r\n"
                       "Host: " +
                           host +
                           "\r\n"
                           "Accept: */*\r\n"
                           "Accept-Language: zh-CN\r\n"
                           "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
                           "Trident/5.0)\r\n"
                           "Content-Type: application/x-www-form-urlencoded\r\n"
                           "Accept-Encoding: deflate\r\n"
                           "Connection: Keep-Alive\r\n"
                           "Cache-Control: no-cache\r\n"
                           "Content-Length: 13\r\n"
                           "\r\n" +
                           body);
}

TEST(HttpTransportTest, PostOfALargeBodyAnnouncesNoExpect) {
    RawCaptureServer server(kOkResponse);
    CurlTransport transport;
    const std::string body = "DATA=" + std::string(70000, 'A');
    EXPECT_EQ(transport.post(server.url(), body), "hello");
    const std::string request = server.request();
    EXPECT_EQ(request.find("Expect"), std::string::npos);
    EXPECT_EQ(request.substr(request.size() - body.size()), body);
}

TEST(HttpTransportTest, GetIsAPlainHttp10Request) {
    RawCaptureServer server(kOkResponse);
    CurlTransport transport;
    EXPECT_EQ(transport.getUrl(server.url()), "hello");
    const std::string request = server.request();
    EXPECT_TRUE(request.starts_with("GET /path HTTP/1.0\r\n")) << request;
    EXPECT_NE(
        request.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"),
        std::string::npos);
    EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos);
}

TEST(HttpTransportTest, BodyOfAnErrorStatusIsHandedUp) {
    testing_support::ProtocolTestServer server;
    server.setFault("init", testing_support::Fault::Http500Html);
    server.setFault("newphase", testing_support::Fault::Http500Html);
    server.setFault("GETRAND", testing_support::Fault::Http500Html);
    CurlTransport transport;
    EXPECT_NE(transport.post(server.url(), "DATA=GETRAND?1").find("500 Internal Server Error"),
              std::string::npos);
    EXPECT_NE(transport.getUrl(server.url("/newphase")).find("<html>"), std::string::npos);
}

TEST(HttpTransportTest, UnreachableHostGivesEmptyBodies) {
    CurlTransport transport;
    const std::string url = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
    EXPECT_EQ(transport.post(url, "DATA=GETRAND?1"), "");
    EXPECT_EQ(transport.getUrl(url), "");
    EXPECT_EQ(transport.getUrl(""), "");
}

TEST(HttpTransportTest, OtherSchemesAreRefused) {
    CurlTransport transport;
    EXPECT_EQ(transport.getUrl("file:///etc/hostname"), "");
}

TEST(HttpTransportTest, ServerThatNeverAnswersFailsWithinTheTotalTimeout) {
    ProtocolTestServer server;
    server.setFault("GETRAND", testing_support::Fault::NeverAnswer);
    server.setFault("newphase", testing_support::Fault::NeverAnswer);
    CurlTransport transport(CurlTransport::Limits{1000ms, 1500ms});
    // Bounded by the test itself as well: the call must come back long before this.
    auto post = std::async(std::launch::async,
                           [&] { return transport.post(server.url(), "DATA=GETRAND?1"); });
    ASSERT_EQ(post.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(post.get(), "");
    auto get =
        std::async(std::launch::async, [&] { return transport.getUrl(server.url("/newphase")); });
    ASSERT_EQ(get.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(get.get(), "");
}

TEST(HttpTransportTest, CancelStopsARunningRequest) {
    ProtocolTestServer server;
    server.setFault("GETRAND", testing_support::Fault::NeverAnswer);
    std::atomic<bool> cancel = false;
    CurlTransport transport(CurlTransport::Limits{}, &cancel);
    auto post = std::async(std::launch::async,
                           [&] { return transport.post(server.url(), "DATA=GETRAND?1"); });
    std::this_thread::sleep_for(200ms);
    cancel = true;
    ASSERT_EQ(post.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(post.get(), "");
}

TEST(HttpTransportTest, BodyAboveTheLimitCountsAsFailure) {
    RawCaptureServer server(kOkResponse);
    CurlTransport::Limits limits;
    limits.maxBodyBytes = 4;
    CurlTransport transport(limits);
    EXPECT_EQ(transport.post(server.url(), "DATA=00"), "");
}

} // namespace
} // namespace zorlith
