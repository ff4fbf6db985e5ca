// The real zorlith-drawd binary on a free loopback port with a temporary database.
#include "drawd_test_support.h"
#include "draws/text_split.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>

namespace zorlith {
namespace {

using namespace std::chrono_literals;
using testing::DrawdProcess;
using testing::Json;
using testing::ProtocolClient;
using testing::RequestDocument;
using testing::TempDir;

class DrawdProcessTest : public ::testing::Test {
protected:
    std::unique_ptr<DrawdProcess> start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--listen", "127.0.0.1:" + std::to_string(port_), "--db",
                                      db()};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<DrawdProcess>(args, dir_.path() / "drawd.log");
    }
    std::unique_ptr<DrawdProcess> startServing(std::vector<std::string> extra = {}) {
        auto process = start(std::move(extra));
        EXPECT_TRUE(testing::WaitUntilServing(port_)) << process->log();
        return process;
    }
    // Runs zorlith-drawd to its end (an import refusal, a bad option) and returns the exit code.
    int runToExit(std::vector<std::string> extra) {
        auto process = start(std::move(extra));
        return process->waitExit(10s).value_or(-1);
    }
    std::string db() const { return (dir_.path() / "draws.sqlite").string(); }
    std::string log() const { return testing::ReadWholeFile(dir_.path() / "drawd.log"); }

    TempDir dir_;
    int port_ = testing::FreeLoopbackPort();
};

// Issue → the whole row, from select_draw.
std::map<int64_t, std::string> RowsByIssue(const std::string& rows) {
    std::map<int64_t, std::string> byIssue;
    for (const auto& line : SplitText(rows, "\r\n")) {
        byIssue[std::stoll(SplitText(line, "|+|").at(1))] = line;
    }
    return byIssue;
}

int64_t ParseLocalTime(const std::string& text) {
    std::tm local{};
    ::strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &local);
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

// Consecutive issues, one period apart, as a restart must leave them.
void ExpectUnbroken(const std::map<int64_t, std::string>& rows, int64_t period) {
    int64_t previousIssue = 0;
    int64_t previousTime = 0;
    for (const auto& [issue, line] : rows) {
        const int64_t time = ParseLocalTime(SplitText(line, "|+|").at(2));
        if (previousIssue != 0) {
            EXPECT_EQ(issue, previousIssue + 1);
            EXPECT_EQ(time, previousTime + period) << line;
        }
        previousIssue = issue;
        previousTime = time;
    }
}

TEST_F(DrawdProcessTest, ServesEveryFunctionOfTheProtocol) {
    auto drawd = startServing({"--announce-version", "1.16", "--proupurl", "http://127.0.0.1:1/u"});
    ProtocolClient client(port_);
    const std::string key = client.fetchKey();
    const auto initReply =
        client.post(testing::SealedBody(RequestDocument("init", {}, 3).dump(), key));
    ASSERT_TRUE(initReply);
    const Json init = testing::OpenedData(initReply->body, 3);
    ASSERT_TRUE(init.is_object()) << initReply->body;
    EXPECT_EQ(init["version"], "1.16");
    EXPECT_EQ(init["proupurl"], "http://127.0.0.1:1/u");
    EXPECT_EQ(init["drawurl"], "http://127.0.0.1:" + std::to_string(port_) + "/");
    const std::string token = init["token"];

    const std::string rows = client.rows(token, 50);
    ASSERT_EQ(SplitText(rows, "\r\n").size(), 50u);
    const auto newphase = client.get("/newphase");
    ASSERT_TRUE(newphase);
    EXPECT_TRUE(std::regex_match(newphase->body, std::regex("[0-9]+")));
    EXPECT_EQ(newphase->body, SplitText(SplitText(rows, "\r\n")[0], "|+|")[1]);
    EXPECT_EQ(newphase->get_header_value("Content-Type").rfind("text/plain", 0), 0u);
}

TEST_F(DrawdProcessTest, AnAnnouncedVersionThatIsNotUtf8IsStillServed) {
    auto drawd = startServing({"--announce-version", "2.\xff"});
    ProtocolClient client(port_);
    const auto reply =
        client.post(testing::SealedBody(RequestDocument("init", {}, 5).dump(), client.fetchKey()));
    ASSERT_TRUE(reply);
    const Json init = testing::OpenedData(reply->body, 5);
    ASSERT_TRUE(init.is_object()) << reply->body;
    EXPECT_EQ(init["version"], "2.\xEF\xBF\xBD");
}

TEST_F(DrawdProcessTest, ThePageIsSelfContainedWithOutsideLinks) {
    auto drawd = startServing();
    const auto page = ProtocolClient(port_).get("/page");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    const std::string& html = page->body;
    EXPECT_NE(html.find("<svg"), std::string::npos);
    EXPECT_NE(html.find("单双"), std::string::npos);
    EXPECT_NE(html.find("大小"), std::string::npos);
    EXPECT_NE(html.find("热号"), std::string::npos);
    EXPECT_NE(html.find("冷号"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"https://"), std::string::npos);
    // The last 30 draws: one table row each after the header.
    size_t rowCount = 0;
    for (size_t at = html.find("<tr><td>"); at != std::string::npos;
         at = html.find("<tr><td>", at + 1)) {
        ++rowCount;
    }
    EXPECT_EQ(rowCount, 30u);
}

TEST_F(DrawdProcessTest, DownloadIs404WithAMessageWithoutTheDesktopTool) {
    auto drawd = startServing();
    const auto reply = ProtocolClient(port_).get("/download/zorlith-pk10");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 404);
    EXPECT_NE(reply->body.find("zorlith-pk10"), std::string::npos);
}

TEST_F(DrawdProcessTest, DownloadServesTheDesktopToolNextToTheService) {
    const auto copy = dir_.path() / "zorlith-drawd";
    std::filesystem::copy_file(ZORLITH_DRAWD, copy);
    std::string tool(200000, '\0');
    for (size_t i = 0; i < tool.size(); ++i) {
        tool[i] = static_cast<char>(i * 7 % 251);
    }
    std::ofstream(dir_.path() / "zorlith-pk10", std::ios::binary) << tool;
    DrawdProcess drawd({"--listen", "127.0.0.1:" + std::to_string(port_), "--db", db()},
                       dir_.path() / "drawd.log", copy.string());
    ASSERT_TRUE(testing::WaitUntilServing(port_)) << drawd.log();
    const auto reply = ProtocolClient(port_).get("/download/zorlith-pk10");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_TRUE(reply->body == tool);
}

TEST_F(DrawdProcessTest, SigkillDuringDrawingLosesAndRepeatsNothing) {
    std::map<int64_t, std::string> seen;
    for (int round = 0; round < 4; ++round) {
        auto drawd = startServing({"--period", "1"});
        ProtocolClient client(port_);
        const std::string token = client.token();
        ASSERT_FALSE(token.empty()) << drawd->log();
        const auto before = RowsByIssue(client.rows(token, 1000));
        // Everything seen before any earlier kill is still there, unchanged.
        for (const auto& [issue, line] : seen) {
            ASSERT_TRUE(before.count(issue)) << issue;
            EXPECT_EQ(before.at(issue), line);
        }
        ExpectUnbroken(before, 1);
        // Kill at varying points of the drawing second: right as the draw appears, or later.
        const std::string newest = client.get("/newphase")->body;
        const auto waitLimit = std::chrono::steady_clock::now() + 5s;
        while (client.get("/newphase")->body == newest &&
               std::chrono::steady_clock::now() < waitLimit) {
            std::this_thread::sleep_for(5ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 230));
        const auto last = RowsByIssue(client.rows(token, 1000));
        seen.insert(last.begin(), last.end());
        drawd->kill(SIGKILL);
        ASSERT_EQ(drawd->waitExit(10s), 128 + SIGKILL);
        // The service is down for a while: the restart catches up on what fell due.
        std::this_thread::sleep_for(1200ms);
    }
    auto drawd = startServing({"--period", "1"});
    ProtocolClient client(port_);
    const auto finalRows = RowsByIssue(client.rows(client.token(), 1000));
    for (const auto& [issue, line] : seen) {
        ASSERT_TRUE(finalRows.count(issue)) << issue;
        EXPECT_EQ(finalRows.at(issue), line);
    }
    ExpectUnbroken(finalRows, 1);
    const int64_t newestTime = ParseLocalTime(SplitText(finalRows.rbegin()->second, "|+|").at(2));
    EXPECT_GE(newestTime, static_cast<int64_t>(std::time(nullptr)) - 2);
}

TEST_F(DrawdProcessTest, ATokenOutlivesARestart) {
    std::string token;
    {
        auto drawd = startServing();
        token = ProtocolClient(port_).token();
        ASSERT_FALSE(token.empty());
        drawd->kill(SIGKILL);
        ASSERT_TRUE(drawd->waitExit(10s));
    }
    auto drawd = startServing();
    ProtocolClient client(port_);
    EXPECT_EQ(client.call(RequestDocument("newestdraw", {token}))["errcode"], "0");
}

// Sends raw bytes and closes without waiting for an answer.
void SendAndClose(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        !bytes.empty()) {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    ::close(fd);
}

TEST_F(DrawdProcessTest, SurvivesHostileClientsAndThenServesNormally) {
    auto drawd = startServing();
    ProtocolClient client(port_);
    const std::string token = client.token();
    int refusals = 0;
    // The init's key is spent, so a well-formed body finds no key.
    const auto noKey = client.post("DATA=ABCD");
    ASSERT_TRUE(noKey);
    EXPECT_EQ(Json::parse(noKey->body)["errcode"], "1005");
    ++refusals;
    for (const std::string& body :
         {std::string("garbage"), std::string("DATA="), std::string("DATA=ABC"),
          std::string("DATA=ZZ"), std::string("DATA=GETRAND?x"), std::string("\x00\xff", 2)}) {
        const auto reply = client.post(body);
        ASSERT_TRUE(reply);
        EXPECT_EQ(Json::parse(reply->body)["errcode"], "1004") << body;
        ++refusals;
    }
    // Opens to non-JSON and to JSON of the wrong shape.
    for (const std::string& text :
         {std::string("{\"rand\":"), std::string("[]"), std::string("{}")}) {
        const auto reply = client.post(testing::SealedBody(text, client.fetchKey()));
        EXPECT_EQ(Json::parse(reply->body)["errcode"], "1004");
        ++refusals;
    }
    EXPECT_EQ(client.call(RequestDocument("drop", {}))["errcode"], "1001");
    EXPECT_EQ(client.call(RequestDocument("init", {}, 1, "1"))["errcode"], "1002");
    EXPECT_EQ(client.call(RequestDocument("newestdraw", {"nope"}))["errcode"], "1003");
    EXPECT_EQ(client.call(RequestDocument("select_draw", {token, "0"}))["errcode"], "1006");
    refusals += 4;

    // 65,536 bytes are read and refused on their content; one byte more is refused unread.
    const auto exact = client.post("DATA=" + std::string(65531, '0'));
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->status, 200);
    EXPECT_EQ(Json::parse(exact->body)["errcode"], "1004");
    const auto over = client.post("DATA=" + std::string(65532, '0'));
    ASSERT_TRUE(over);
    EXPECT_EQ(over->status, 413);
    refusals += 2;

    // Truncated requests and abrupt disconnects.
    SendAndClose(port_, "");
    SendAndClose(port_, "POST / HTTP/1.1\r\nHost: x\r\nContent-Le");
    SendAndClose(port_, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 500\r\n\r\nDATA=00");
    SendAndClose(port_,
                 "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 20\r\n\r\nDATA=GETRAND?17000000");
    SendAndClose(port_, "GARBAGE\r\n\r\n");
    SendAndClose(port_, std::string(100000, 'x'));
    // A client that goes quiet mid-request ties up one worker at most, not the service.
    const int quiet = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    ASSERT_EQ(::connect(quiet, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string partial = "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\nDATA";
    ::send(quiet, partial.data(), partial.size(), MSG_NOSIGNAL);

    ProtocolClient fresh(port_);
    const std::string freshToken = fresh.token();
    ASSERT_FALSE(freshToken.empty());
    EXPECT_EQ(SplitText(fresh.rows(freshToken, 10), "\r\n").size(), 10u);
    const Json newest = fresh.call(RequestDocument("newestdraw", {token}));
    EXPECT_EQ(newest["errcode"], "0");
    ::close(quiet);
    EXPECT_TRUE(drawd->running());
    EXPECT_FALSE(drawd->waitExit(0ms).has_value());

    drawd->kill(SIGTERM);
    ASSERT_EQ(drawd->waitExit(10s), 0);
    const std::string text = log();
    // Protocol refusals and the 413; the raw garbage above may add lines of its own (400).
    const std::regex refusalLine("拒绝 127\\.0\\.0\\.1：(10\\d\\d|413) ");
    const auto logged = static_cast<size_t>(std::distance(
        std::sregex_iterator(text.begin(), text.end(), refusalLine), std::sregex_iterator()));
    EXPECT_EQ(logged, static_cast<size_t>(refusals)) << text;
}

// Sends `prefix` and then up to 64 MiB without a line end; the number of MiB that went out
// before the service closed the connection.
int FloodWithoutLineEnd(int port, const std::string& prefix) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int sent = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, prefix.data(), prefix.size(), MSG_NOSIGNAL) >= 0) {
        const std::string mebibyte(1 << 20, '0');
        for (; sent < 64; ++sent) {
            if (::send(fd, mebibyte.data(), mebibyte.size(), MSG_NOSIGNAL) !=
                static_cast<ssize_t>(mebibyte.size())) {
                break;
            }
        }
    }
    ::close(fd);
    return sent;
}

TEST_F(DrawdProcessTest, EndlessRequestLinesAndHeadersCannotFillItsMemory) {
    auto drawd = startServing();
    EXPECT_LT(FloodWithoutLineEnd(port_, ""), 64);
    EXPECT_LT(FloodWithoutLineEnd(port_, "POST / HTTP/1.1\r\nHost: x\r\nX-Long: "), 64);
    std::string manyHeaders = "POST / HTTP/1.1\r\n";
    for (int i = 0; i < 20000; ++i) {
        manyHeaders += "X-" + std::to_string(i) + ": 1\r\n";
    }
    EXPECT_LT(FloodWithoutLineEnd(port_, manyHeaders), 64);
    EXPECT_LT(testing::ResidentKiB(drawd->pid()), 64 * 1024);
    ProtocolClient client(port_);
    EXPECT_FALSE(client.token().empty());
}

TEST_F(DrawdProcessTest, AMultipartBodyIsRefusedAsMalformed) {
    auto drawd = startServing();
    httplib::Client http("127.0.0.1", port_);
    const httplib::MultipartFormDataItems items{{"DATA", "GETRAND?1", "", ""}};
    const auto reply = http.Post("/", items);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(Json::parse(reply->body)["errcode"], "1004");
    EXPECT_TRUE(drawd->running());
}

TEST_F(DrawdProcessTest, SigtermAndSigintStopCleanly) {
    for (const int signal : {SIGTERM, SIGINT}) {
        auto drawd = startServing();
        drawd->kill(signal);
        EXPECT_EQ(drawd->waitExit(10s), 0) << signal;
    }
    const std::string text = log();
    EXPECT_NE(text.find("已启动"), std::string::npos);
    EXPECT_NE(text.find("已停止"), std::string::npos);
}

TEST_F(DrawdProcessTest, ImportLoadsRealDrawsAsHistoryAndNewIssuesContinueFromThem) {
    const auto draws = dir_.path() / "draws.txt";
    std::ofstream(draws) << "701882 09 07 03 08 02 01 10 05 06 04\n"
                            "701883 07 04 06 02 10 08 01 05 03 09\n"
                            "701884 02 04 10 05 07 09 08 01 03 06\n";
    auto drawd = startServing({"--import", draws.string(), "--period", "300"});
    ProtocolClient client(port_);
    const auto rows = RowsByIssue(client.rows(client.token(), 1000));
    ASSERT_EQ(rows.size(), 4u) << drawd->log();
    EXPECT_EQ(SplitText(rows.at(701882), "|+|").at(3), "09,07,03,08,02,01,10,05,06,04");
    EXPECT_EQ(SplitText(rows.at(701884), "|+|").at(3), "02,04,10,05,07,09,08,01,03,06");
    ASSERT_TRUE(rows.count(701885));
    ExpectUnbroken(rows, 300);
    EXPECT_EQ(ParseLocalTime(SplitText(rows.at(701885), "|+|").at(2)) % 300, 0);
    drawd->kill(SIGTERM);
    ASSERT_EQ(drawd->waitExit(10s), 0);

    EXPECT_EQ(runToExit({"--import", draws.string()}), 2);
    EXPECT_NE(log().find("已有开奖记录"), std::string::npos);
}

TEST_F(DrawdProcessTest, AMalformedImportIsRefusedWholeWithLineNumbers) {
    const auto draws = dir_.path() / "draws.txt";
    std::ofstream(draws) << "701882 09 07 03 08 02 01 10 05 06 04\n"
                            "701883 07 04 06 02 10 08 01 05 03\n"
                            "701884 02 04 10 05 07 09 08 01 03 06\n"
                            "701885 02 02 10 05 07 09 08 01 03 06\n";
    EXPECT_EQ(runToExit({"--import", draws.string()}), 2);
    const std::string text = log();
    EXPECT_NE(text.find("第 2 行"), std::string::npos) << text;
    EXPECT_NE(text.find("第 4 行"), std::string::npos) << text;
    EXPECT_EQ(text.find("第 1 行"), std::string::npos) << text;

    // Nothing was imported: a sound import into the same database is still accepted.
    std::ofstream(draws) << "701882 09 07 03 08 02 01 10 05 06 04\n";
    auto drawd = startServing({"--import", draws.string()});
    ProtocolClient client(port_);
    EXPECT_TRUE(RowsByIssue(client.rows(client.token(), 1000)).count(701882));
}

TEST_F(DrawdProcessTest, RefusesBadOptionsAndASecondServiceOnTheSameDatabase) {
    EXPECT_EQ(runToExit({"--period", "0"}), 2);
    EXPECT_EQ(runToExit({"--bogus", "1"}), 2);
    EXPECT_EQ(runToExit({"--listen", "127.0.0.1"}), 2);
    EXPECT_EQ(runToExit({"--period"}), 2);
    auto first = startServing();
    const int otherPort = testing::FreeLoopbackPort();
    DrawdProcess second({"--listen", "127.0.0.1:" + std::to_string(otherPort), "--db", db()},
                        dir_.path() / "second.log");
    EXPECT_EQ(second.waitExit(10s), 1);
    EXPECT_TRUE(first->running());
}

} // namespace
} // namespace zorlith
