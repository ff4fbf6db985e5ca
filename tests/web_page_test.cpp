#include "app/web_page.h"
#include "app_test_support.h"

#include <QSignalSpy>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>
#include <set>
#include <thread>

namespace zorlith {
namespace {

using testing::ProcessEventsUntil;
using testing::RecordingLinks;

// Pages on loopback that remember which addresses were asked for.
class PageServer {
public:
    PageServer() {
        server_.Get(R"(/(\w+))", [this](const httplib::Request& request,
                                        httplib::Response& response) {
            {
                const std::lock_guard lock(mutex_);
                asked_.insert(request.matches[1].str());
            }
            response.set_content("<html><body><a id='out' href='/elsewhere'>out</a></body></html>",
                                 "text/html");
        });
        // One request per connection: the browser keeps no idle connection that would hold the
        // server's stop.
        server_.set_keep_alive_max_count(1);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~PageServer() {
        server_.stop();
        thread_.join();
    }

    QUrl url(const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(QLatin1String(path)));
    }
    bool asked(const std::string& path) const {
        const std::lock_guard lock(mutex_);
        return asked_.contains(path);
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::set<std::string> asked_;
};

class WebPageTest : public ::testing::Test {
protected:
    WebPageTest() {
        view_.setPage(new GuardedWebPage(
            links_, [this] { return startupComplete_; }, &view_));
        view_.resize(259, 480);
    }

    bool load(const QUrl& url) {
        QSignalSpy finished(view_.page(), &QWebEnginePage::loadFinished);
        view_.setUrl(url);
        return ProcessEventsUntil([&] { return !finished.isEmpty(); }, 15000) &&
               finished.first().first().toBool();
    }
    void navigateByScript(const QString& address) {
        view_.page()->runJavaScript(QStringLiteral("window.location.href = '%1';").arg(address));
    }

    PageServer server_;
    RecordingLinks links_;
    bool startupComplete_ = false;
    QWebEngineView view_;
};

TEST_F(WebPageTest, BeforeStartUpCompletesPagesLoadInTheWindow) {
    ASSERT_TRUE(load(server_.url("first")));
    EXPECT_TRUE(server_.asked("first"));

    QSignalSpy finished(view_.page(), &QWebEnginePage::loadFinished);
    navigateByScript(server_.url("second").toString());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !finished.isEmpty(); }, 15000));
    EXPECT_EQ(view_.url(), server_.url("second"));
    EXPECT_TRUE(links_.opened.empty());
}

TEST_F(WebPageTest, AfterStartUpWebAddressesGoToTheSystemBrowser) {
    ASSERT_TRUE(load(server_.url("first")));
    startupComplete_ = true;

    navigateByScript(server_.url("elsewhere").toString());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !links_.opened.empty(); }, 15000));
    EXPECT_EQ(links_.opened.front(), server_.url("elsewhere"));
    EXPECT_EQ(view_.url(), server_.url("first"));
    EXPECT_FALSE(server_.asked("elsewhere"));
}

TEST_F(WebPageTest, AfterStartUpOtherSchemesAreNotHandedToTheSystem) {
    ASSERT_TRUE(load(server_.url("first")));
    startupComplete_ = true;

    navigateByScript(QStringLiteral("file:///etc/hostname"));
    navigateByScript(QStringLiteral("ftp://127.0.0.1/file"));
    // A web navigation after them shows that the earlier ones have been dealt with.
    navigateByScript(server_.url("last").toString());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !links_.opened.empty(); }, 15000));
    ASSERT_EQ(links_.opened.size(), 1u);
    EXPECT_EQ(links_.opened.front(), server_.url("last"));
    EXPECT_EQ(view_.url(), server_.url("first"));
}

TEST(ExternalLinksTest, OnlyWebAddressesOpen) {
    RecordingLinks links;
    EXPECT_TRUE(OpenWebAddress(links, QUrl(QStringLiteral("http://127.0.0.1/a"))));
    EXPECT_TRUE(OpenWebAddress(links, QUrl(QStringLiteral("HTTPS://127.0.0.1/b"))));
    EXPECT_FALSE(OpenWebAddress(links, QUrl(QStringLiteral("file:///etc/passwd"))));
    EXPECT_FALSE(OpenWebAddress(links, QUrl(QStringLiteral("javascript:alert(1)"))));
    EXPECT_FALSE(OpenWebAddress(links, QUrl(QStringLiteral("mailto:a@127.0.0.1"))));
    EXPECT_FALSE(OpenWebAddress(links, QUrl(QStringLiteral("http://"))));
    EXPECT_FALSE(OpenWebAddress(links, QUrl()));
    EXPECT_EQ(links.opened.size(), 2u);
}

} // namespace
} // namespace zorlith
