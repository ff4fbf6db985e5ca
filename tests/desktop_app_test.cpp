#include "app/desktop_app.h"
#include "app/skin.h"
#include "app_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <optional>

namespace zorlith {
namespace {

using testing::DrawService;
using testing::MovableClock;
using testing::ProcessEventsUntil;
using testing::RecordingDialogs;
using testing::RecordingLinks;
using testing::RuleTransport;
using testing::UnusedPort;

class RecordingHandOff final : public UpdateHandOff {
public:
    void start(const UpdateOffer& offer) override { offers.push_back(offer); }
    std::vector<UpdateOffer> offers;
};

std::string DeadEndpoint() {
    return "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/appinit.php";
}

// The desktop tool with its real core and real transport, against the real draw service; only
// the message boxes, the system's browser, the updater and the wall clock are stand-ins.
class DesktopAppTest : public ::testing::Test {
protected:
    DesktopApp& startApp(const std::string& primary, const std::string& fallback,
                         std::string planName = std::string(AppIdentity.planName)) {
        StartupOptions options;
        options.primaryEndpoint = primary;
        options.fallbackEndpoint = fallback;
        options.planName = std::move(planName);
        app_ = std::make_unique<DesktopApp>(
            transport_, clock_, DesktopSeams{dialogs_, links_, handOff_}, options, exeDir_.path());
        return *app_;
    }
    DrawService& startService(QStringList extraArgs = {}) {
        service_.emplace(std::move(extraArgs));
        return *service_;
    }
    DesktopApp& app() { return *app_; }
    QString planText() { return app().mainWindow().planTextBox()->toPlainText(); }
    int historyRows() { return app().mainWindow().historyList()->topLevelItemCount(); }
    QString topRow(int column) {
        return app().mainWindow().historyList()->topLevelItem(0)->text(column);
    }
    bool statusWindowOpen() {
        return app().statusWindow().widget() != nullptr &&
               app().statusWindow().widget()->isVisible();
    }

    std::atomic<bool> cancel_{false};
    CurlTransport curl_{CurlTransport::Limits{}, &cancel_};
    RuleTransport rules_{curl_};
    EventPumpingTransport transport_{rules_, cancel_};
    MovableClock clock_;
    RecordingDialogs dialogs_;
    RecordingLinks links_;
    RecordingHandOff handOff_;
    QTemporaryDir exeDir_;
    // Declared before the app, so the service outlives it.
    std::optional<DrawService> service_;
    std::unique_ptr<DesktopApp> app_;
};

TEST_F(DesktopAppTest, StartupFallsBackToTheLocalServiceAndShowsTheWindowWithThePlan) {
    DrawService& service = startService();
    ASSERT_TRUE(service.running());
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());

    ASSERT_TRUE(desktop.Start());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_TRUE(desktop.mainWindow().isVisible());
    EXPECT_TRUE(desktop.mainWindow().startupComplete());
    EXPECT_TRUE(desktop.mainWindow().drawTimer()->isActive());
    EXPECT_EQ(desktop.statusWindow().widget(), nullptr);

    const QString newest = QString::fromStdString(service.newestIssue());
    EXPECT_EQ(desktop.mainWindow().issueLabel()->text(),
              QStringLiteral("PK拾第%1期：").arg(newest));
    ASSERT_EQ(historyRows(), 50);
    EXPECT_EQ(topRow(0), newest);
    EXPECT_EQ(desktop.mainWindow().numbersLabel()->text(), topRow(1));
    EXPECT_EQ(desktop.core().history.size(), 50u);
    // Newest on top, in the order of the stored history.
    for (int row = 0; row < 50; ++row) {
        EXPECT_EQ(desktop.mainWindow().historyList()->topLevelItem(row)->text(0).toStdString(),
                  desktop.core().history[static_cast<size_t>(row)].issue);
    }
    EXPECT_TRUE(planText().contains(QStringLiteral("当前计划统计：总计")));
    EXPECT_TRUE(planText().contains(QStringLiteral("彩票有风险，投注需谨慎！")));
    EXPECT_EQ(desktop.mainWindow().planTextBox()->textCursor().position(), planText().size());
    EXPECT_EQ(desktop.mainWindow().browser()->url(),
              QUrl(QString::fromStdString(service.url() + "page")));
}

TEST_F(DesktopAppTest, StartupLaysOutTheServicesLinksAndAppliesTheSkin) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());

    const std::vector<std::string>& titles = desktop.core().config.linkTitles;
    QList<QLabel*> links;
    for (QLabel* label : desktop.mainWindow().linkStrip()->findChildren<QLabel*>()) {
        if (label != desktop.mainWindow().linkTemplate()) {
            links.push_back(label);
        }
    }
    ASSERT_EQ(static_cast<size_t>(links.size()), titles.size());
    for (qsizetype i = 0; i < links.size(); ++i) {
        EXPECT_EQ(links[i]->x(), 4 + 99 * static_cast<int>(i));
        EXPECT_TRUE(links[i]->text().contains(QString::fromStdString(titles[size_t(i)])));
    }

    QFile skin(SkinFilePath(exeDir_.path()));
    ASSERT_TRUE(skin.open(QIODevice::ReadOnly));
    EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8(skin.readAll()));
}

TEST_F(DesktopAppTest, BothInitCallsFailing) {
    DesktopApp& desktop = startApp(DeadEndpoint(), DeadEndpoint());

    EXPECT_FALSE(desktop.Start());
    EXPECT_EQ(desktop.startupOutcome(), StartupOutcome::Failed);
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("初始化连接服务器失败！：")));
    EXPECT_EQ(dialogs_.messages[0].toStdString(), desktop.core().client.lastError());
    EXPECT_FALSE(statusWindowOpen());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
    EXPECT_FALSE(desktop.mainWindow().drawTimer()->isActive());
}

TEST_F(DesktopAppTest, NewerVersionDeclinedEndsWithoutTheWindow) {
    DrawService& service =
        startService({QStringLiteral("--announce-version"), QStringLiteral("1.2")});
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    dialogs_.answers = {false};

    EXPECT_FALSE(desktop.Start());
    EXPECT_EQ(desktop.startupOutcome(), StartupOutcome::UpdateDeclined);
    EXPECT_EQ(dialogs_.questions, QStringList{QStringLiteral(
                                      "ZorlithPK10平刷冠军单双已经更新至1.2\r\n点击确定立即更新")});
    EXPECT_TRUE(handOff_.offers.empty());
    EXPECT_FALSE(statusWindowOpen());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
}

TEST_F(DesktopAppTest, NewerVersionAcceptedHandsOverToTheUpdater) {
    DrawService& service = startService(
        {QStringLiteral("--announce-version"), QStringLiteral("1.9"), QStringLiteral("--proupurl"),
         QStringLiteral("http://127.0.0.1:1/download/zorlith-pk10")});
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    dialogs_.answers = {true};

    EXPECT_FALSE(desktop.Start());
    EXPECT_EQ(desktop.startupOutcome(), StartupOutcome::UpdateAccepted);
    ASSERT_EQ(handOff_.offers.size(), 1u);
    EXPECT_EQ(handOff_.offers[0].announcedVersion, "1.9");
    EXPECT_EQ(handOff_.offers[0].updateUrl, "http://127.0.0.1:1/download/zorlith-pk10");
    EXPECT_TRUE(desktop.ending());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
}

TEST_F(DesktopAppTest, TheSameVersionOffersNoUpdate) {
    DrawService& service =
        startService({QStringLiteral("--announce-version"), QStringLiteral("1.150")});
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());

    EXPECT_TRUE(desktop.Start());
    EXPECT_TRUE(dialogs_.questions.isEmpty());
}

TEST_F(DesktopAppTest, DrawTableQueryFailingAtStart) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    // init (key and call), the latest-issue read and the clock's poll (key and call) pass; the
    // draw table query that follows fails.
    const std::string serviceUrl = service.url();
    rules_.setFailRule([this, serviceUrl](const RuleTransport::Request& request) {
        int postsAfterRead = 0;
        bool readSeen = false;
        for (const RuleTransport::Request& earlier : rules_.requests()) {
            if (earlier.number >= request.number) {
                break;
            }
            readSeen = readSeen || earlier.isGet;
            postsAfterRead += readSeen && !earlier.isGet ? 1 : 0;
        }
        return readSeen && postsAfterRead >= 2;
    });

    EXPECT_FALSE(desktop.Start());
    EXPECT_EQ(desktop.startupOutcome(), StartupOutcome::Failed);
    ASSERT_EQ(dialogs_.messages.size(), 2);
    EXPECT_EQ(dialogs_.messages[0].toStdString(),
              "查询最近开奖数据失败！" + desktop.core().client.lastError());
    EXPECT_EQ(dialogs_.messages[1], QStringLiteral("获取网络开奖数据失败！"));
    EXPECT_TRUE(statusWindowOpen());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
}

TEST_F(DesktopAppTest, ClockPollFailingAtStartLeavesTheIssueOut) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    rules_.setFailRule([](const RuleTransport::Request& request) { return request.isGet; });

    ASSERT_TRUE(desktop.Start());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(desktop.mainWindow().issueLabel()->text(), QStringLiteral("PK拾第期："));
    EXPECT_EQ(desktop.mainWindow().numbersLabel()->text(), QString());
    EXPECT_EQ(historyRows(), 50);
}

TEST_F(DesktopAppTest, AnUnknownPlanNameLeavesThePlanEmpty) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url(), "没有这种计划");

    ASSERT_TRUE(desktop.Start());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(desktop.core().engine.slots().size(), 0u);
    // No cycle lines; the statistics count nothing.
    EXPECT_FALSE(planText().contains(QStringLiteral("期 ")));
    EXPECT_TRUE(planText().contains(QStringLiteral("总计0期")));
    EXPECT_EQ(historyRows(), 50);
}

TEST_F(DesktopAppTest, ClosingTheStatusWindowBeforeAnyRequestEndsStartUp) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    QTimer::singleShot(0, [&desktop] {
        if (desktop.statusWindow().widget() != nullptr) {
            desktop.statusWindow().widget()->close();
        }
    });

    EXPECT_FALSE(desktop.Start());
    EXPECT_TRUE(desktop.ending());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_TRUE(rules_.requests().empty());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
}

TEST_F(DesktopAppTest, ClosingTheStatusWindowDuringARequestEndsStartUp) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(service.url(), DeadEndpoint());
    // The user closes the status window while the first request is under way.
    rules_.setBeforeRequest([&desktop](const RuleTransport::Request& request) {
        if (request.number != 1) {
            return;
        }
        QMetaObject::invokeMethod(
            qApp,
            [&desktop] {
                if (desktop.statusWindow().widget() != nullptr) {
                    desktop.statusWindow().widget()->close();
                }
            },
            Qt::QueuedConnection);
        QThread::msleep(300);
    });

    EXPECT_FALSE(desktop.Start());
    EXPECT_TRUE(desktop.ending());
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(rules_.requests().size(), 1u);
    EXPECT_FALSE(desktop.mainWindow().isVisible());
}

TEST_F(DesktopAppTest, CountingDownThenDrawingWhileNoNewDrawArrives) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());
    MainWindow& window = desktop.mainWindow();

    const QRegularExpression countdown(QStringLiteral("^\\d\\d：\\d\\d$"));
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return countdown.match(window.countdownValue()->text()).hasMatch(); }));
    EXPECT_EQ(window.countdownCaption()->text(), QStringLiteral("开奖剩余时间： "));

    // Past the scheduled time, with no new draw at the service: the poll finds nothing.
    const size_t requestsBefore = rules_.requests().size();
    clock_.advance(400);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return window.countdownCaption()->text() == QStringLiteral("正在开奖……") &&
               rules_.requests().size() > requestsBefore;
    }));
    EXPECT_EQ(window.countdownValue()->text(), QString());
    // The draw stays due, so the next allowed poll asks again, and finds nothing again.
    const size_t requestsAfterFirstPoll = rules_.requests().size();
    clock_.advance(IssueClock::kPollInterval + 1);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return rules_.requests().size() > requestsAfterFirstPoll; }));
    QTest::qWait(400);
    EXPECT_EQ(window.countdownCaption()->text(), QStringLiteral("正在开奖……"));
    EXPECT_EQ(window.countdownValue()->text(), QString());
    EXPECT_EQ(historyRows(), 50);
}

TEST_F(DesktopAppTest, ALiveDrawArrives) {
    DrawService& service = startService({QStringLiteral("--period"), QStringLiteral("1")});
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());
    MainWindow& window = desktop.mainWindow();
    const std::string startIssue = desktop.core().history.front().issue;
    const QString planBefore = planText();

    ASSERT_TRUE(ProcessEventsUntil([&] {
        const std::string newest = service.newestIssue();
        return !newest.empty() && newest != startIssue;
    }));
    // Past the clock's pacing, so the next working tick polls.
    clock_.advance(IssueClock::kPollInterval + 1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return historyRows() == 51; }));
    window.StopDrawTimer();

    const DrawRecord& arrived = desktop.core().history.front();
    EXPECT_NE(arrived.issue, startIssue);
    EXPECT_EQ(desktop.core().history.size(), 51u);
    EXPECT_EQ(topRow(0).toStdString(), arrived.issue);
    EXPECT_EQ(topRow(1).toStdString(), arrived.numbers);
    EXPECT_EQ(window.historyList()->topLevelItem(1)->text(0).toStdString(), startIssue);
    EXPECT_EQ(window.issueLabel()->text().toStdString(), "PK拾第" + arrived.issue + "期：");
    EXPECT_EQ(window.numbersLabel()->text().toStdString(), arrived.numbers);
    EXPECT_NE(planText(), planBefore);
    EXPECT_TRUE(planText().contains(QString::fromStdString("<" + arrived.issue + "期>")));
}

TEST_F(DesktopAppTest, TwoLiveDrawsStackNewestOnTop) {
    DrawService& service = startService({QStringLiteral("--period"), QStringLiteral("1")});
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());
    const auto takeNextDraw = [&](int rowsAfter) {
        const std::string shown = desktop.core().history.front().issue;
        return ProcessEventsUntil([&] {
                   const std::string newest = service.newestIssue();
                   return !newest.empty() && newest != shown;
               }) &&
               (clock_.advance(IssueClock::kPollInterval + 1),
                ProcessEventsUntil([&] { return historyRows() == rowsAfter; }));
    };
    ASSERT_TRUE(takeNextDraw(51));
    const std::string first = desktop.core().history.front().issue;
    ASSERT_TRUE(takeNextDraw(52));
    desktop.mainWindow().StopDrawTimer();

    const std::string second = desktop.core().history.front().issue;
    EXPECT_GT(std::stoll(second), std::stoll(first));
    EXPECT_EQ(desktop.core().history.size(), 52u);
    EXPECT_EQ(topRow(0).toStdString(), second);
    EXPECT_EQ(desktop.mainWindow().historyList()->topLevelItem(1)->text(0).toStdString(), first);
}

TEST_F(DesktopAppTest, TheWindowKeepsWorkingDuringASlowRequest) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());
    const int startupRequests = static_cast<int>(rules_.requests().size());
    rules_.setBeforeRequest([startupRequests](const RuleTransport::Request& request) {
        if (request.number > startupRequests) {
            QThread::msleep(1500);
        }
    });
    // While the poll waits for the service, the user clicks the copy button.
    bool clickedWhilePolling = false;
    bool busyAfterClick = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!clickedWhilePolling && desktop.core().issueClock.pollBusy()) {
            clickedWhilePolling = true;
            QTest::mouseClick(desktop.mainWindow().copyButton(), Qt::LeftButton);
            busyAfterClick = desktop.core().issueClock.pollBusy();
        }
    });
    user.start(50);

    clock_.advance(400);
    ASSERT_TRUE(ProcessEventsUntil([&] { return clickedWhilePolling; }));
    EXPECT_TRUE(busyAfterClick);
    EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("已将计划内容复制到剪辑版！")});
    // A tick that comes while the poll runs is turned away by the busy flag.
    EXPECT_FALSE(desktop.core().issueClock.刷新开奖(desktop.core().latestUpdate));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !desktop.core().issueClock.pollBusy(); }));
}

TEST_F(DesktopAppTest, ClosingTheMainWindowDuringAPollEndsTheProgram) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());
    const int startupRequests = static_cast<int>(rules_.requests().size());
    rules_.setBeforeRequest([startupRequests](const RuleTransport::Request& request) {
        if (request.number > startupRequests) {
            QThread::msleep(500);
        }
    });
    // The user closes the window while the poll waits for the service.
    bool closedWhilePolling = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!closedWhilePolling && desktop.core().issueClock.pollBusy()) {
            closedWhilePolling = true;
            desktop.mainWindow().close();
        }
    });
    user.start(20);

    clock_.advance(400);
    ASSERT_TRUE(ProcessEventsUntil([&] { return closedWhilePolling; }));
    EXPECT_TRUE(desktop.ending());
    EXPECT_FALSE(desktop.mainWindow().isVisible());
    EXPECT_FALSE(desktop.mainWindow().drawTimer()->isActive());
    // The poll came back empty-handed and later requests fail without reaching the service.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !desktop.core().issueClock.pollBusy(); }));
    EXPECT_EQ(historyRows(), 50);
    const size_t requestsAfterClose = rules_.requests().size();
    EXPECT_EQ(desktop.core().client.latestIssue(), "");
    EXPECT_EQ(rules_.requests().size(), requestsAfterClose);
}

TEST_F(DesktopAppTest, CopyAndClearWithTheRealPlan) {
    DrawService& service = startService();
    DesktopApp& desktop = startApp(DeadEndpoint(), service.url());
    ASSERT_TRUE(desktop.Start());

    QTest::mouseClick(desktop.mainWindow().copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), planText());

    QTest::mouseClick(desktop.mainWindow().clearButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs_.messages, (QStringList{QStringLiteral("已将计划内容复制到剪辑版！"),
                                              QStringLiteral("清理成功！计划已经重新获取。")}));
    EXPECT_TRUE(planText().contains(QStringLiteral("当前计划统计：总计")));
    EXPECT_EQ(desktop.core().history.size(), 50u);
    EXPECT_EQ(historyRows(), 50);
}

} // namespace
} // namespace zorlith
