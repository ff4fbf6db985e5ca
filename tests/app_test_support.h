#pragma once

#include "app/dialogs.h"
#include "app/external_links.h"
#include "predict/clock.h"
#include "service/http_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zorlith::testing {

// Answers the tool's message boxes at once and remembers their texts.
class RecordingDialogs final : public Dialogs {
public:
    void inform(const QString& text) override { messages.push_back(text); }
    bool confirm(const QString& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList questions;
    std::deque<bool> answers;
};

// Remembers the addresses that would have gone to the system's browser.
class RecordingLinks final : public ExternalLinks {
public:
    void open(const QUrl& address) override { opened.push_back(address); }
    std::vector<QUrl> opened;
};

// Processes events until `done` holds or the time runs out; answers `done`.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A port nothing listens on: taken from the system, then let go.
inline int UnusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The real local draw service on a free loopback port with its own database, stopped at the
// end of the test.
class DrawService {
public:
    explicit DrawService(QStringList extraArgs = {}) {
        port_ = UnusedPort();
        QStringList args{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port_),
                         QStringLiteral("--db"), dir_.filePath(QStringLiteral("draws.sqlite"))};
        args += extraArgs;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ZORLITH_DRAWD), args);
        process_.waitForStarted(5000);
        ProcessEventsUntil([this] { return !newestIssue().empty(); }, 10000);
    }
    // A stop request, then a kill: an idle keep-alive connection of the embedded browser can
    // hold the service's orderly stop for seconds, and its database is thrown away anyway.
    ~DrawService() {
        process_.terminate();
        if (!process_.waitForFinished(300)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    DrawService(const DrawService&) = delete;
    DrawService& operator=(const DrawService&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    bool running() const { return process_.state() == QProcess::Running; }
    // What the latest-issue address answers now; "" when the service does not answer.
    std::string newestIssue() const {
        CurlTransport transport;
        return transport.getUrl(url() + "newphase");
    }

private:
    QTemporaryDir dir_;
    int port_ = 0;
    QProcess process_;
};

// Real wall time that a test can move forward, and the real uptime.
class MovableClock final : public Clock {
public:
    int64_t unixNow() const override { return system_.unixNow() + offset_; }
    uint32_t uptimeMs() const override { return system_.uptimeMs(); }
    void advance(int64_t seconds) { offset_ += seconds; }

private:
    SystemClock system_;
    std::atomic<int64_t> offset_{0};
};

// The real transport, with a rule that makes chosen requests fail and a log of them all. Each
// request is numbered from 1 in the order it is made.
class RuleTransport final : public HttpTransport {
public:
    struct Request {
        int number;
        bool isGet;
        std::string url;
    };
    using Rule = std::function<bool(const Request&)>;

    explicit RuleTransport(HttpTransport& inner) : inner_(inner) {}

    void setFailRule(Rule rule) {
        const std::lock_guard lock(mutex_);
        failRule_ = std::move(rule);
    }
    void setBeforeRequest(std::function<void(const Request&)> hook) {
        const std::lock_guard lock(mutex_);
        beforeRequest_ = std::move(hook);
    }
    std::vector<Request> requests() const {
        const std::lock_guard lock(mutex_);
        return log_;
    }

    std::string post(const std::string& url, const std::string& body) override {
        return run(false, url, [&] { return inner_.post(url, body); });
    }
    std::string getUrl(const std::string& url) override {
        return run(true, url, [&] { return inner_.getUrl(url); });
    }

private:
    template <typename Call> std::string run(bool isGet, const std::string& url, Call call) {
        Rule rule;
        std::function<void(const Request&)> hook;
        Request request;
        {
            const std::lock_guard lock(mutex_);
            request = Request{static_cast<int>(log_.size()) + 1, isGet, url};
            log_.push_back(request);
            rule = failRule_;
            hook = beforeRequest_;
        }
        if (hook) {
            hook(request);
        }
        if (rule && rule(request)) {
            return {};
        }
        return call();
    }

    HttpTransport& inner_;
    mutable std::mutex mutex_;
    std::vector<Request> log_;
    Rule failRule_;
    std::function<void(const Request&)> beforeRequest_;
};

} // namespace zorlith::testing
