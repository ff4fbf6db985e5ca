// The update as the desktop tool runs it: the real start-up against the real zorlith-drawd
// announcing 1.2, the question answered through the dialog seam, and the real hand-off writing
// the embedded updater next to a copy of the built program and starting it.
#include "app/app_files.h"
#include "app/desktop_app.h"
#include "app/update_hand_off.h"
#include "predict/clock.h"
#include "service/http_transport.h"
#include "startup/startup_stages.h"
#include "updater_test_support.h"

#include <QApplication>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace zorlith::testing {
namespace {

const QString kTitle = QStringLiteral("ZorlithPK10平刷冠军单双");

bool StatusWindowVisible() {
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return dynamic_cast<const StatusWindowWidget*>(window) != nullptr && window->isVisible();
    });
}

// Answers the update question and notes whether the status window was still up when it came.
class QuestionDialogs final : public Dialogs {
public:
    void inform(const QString& text) override { messages.push_back(text); }
    bool confirm(const QString& text) override {
        questions.push_back(text);
        statusVisibleAtQuestion = statusVisibleAtQuestion || StatusWindowVisible();
        return answer;
    }

    bool answer = false;
    bool statusVisibleAtQuestion = false;
    QStringList messages;
    QStringList questions;
};

class NoLinks final : public ExternalLinks {
public:
    void open(const QUrl&) override {}
};

class UpdateEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The updater inherits this and reports to stderr instead of opening a message box.
        qputenv("ZORLITH_UPDATER_NO_WINDOW", "1");
        fs::create_directories(appDir());
        CopyExecutable(ZORLITH_PK10, program());
        oldBytes_ = ReadBytes(program());
    }

    fs::path appDir() const { return temp_.path() / "app"; }
    fs::path program() const { return appDir() / "zorlith-pk10"; }
    fs::path updater() const { return appDir() / "更新器"; }

    // The desktop tool's start-up against `service`, answering the update question with
    // `answer`; the tool must end without showing its main window.
    StartupOutcome startUp(const UpdateService& service, bool answer) {
        std::atomic<bool> cancel{false};
        CurlTransport curl(CurlTransport::Limits{}, &cancel);
        EventPumpingTransport transport(curl, cancel);
        SystemClock clock;
        dialogs_.answer = answer;
        const QString dir = QString::fromStdString(appDir().string());
        DetachedUpdaterHandOff handOff(UpdaterPath(dir), QStringLiteral("zorlith-pk10"));
        DesktopApp desktop(transport, clock, DesktopSeams{dialogs_, links_, handOff},
                           StartupOptions{.primaryEndpoint = service.baseUrl(),
                                          .fallbackEndpoint = service.baseUrl()},
                           dir);
        EXPECT_FALSE(desktop.Start());
        EXPECT_FALSE(desktop.mainWindow().isVisible());
        return desktop.startupOutcome();
    }

    // Until the updater started by the hand-off has ended.
    void waitForUpdater() {
        EXPECT_TRUE(WaitFor([this] { return !SomeProcessRuns(updater()); }));
    }

    TempDir temp_;
    std::string oldBytes_;
    QuestionDialogs dialogs_;
    NoLinks links_;
};

TEST_F(UpdateEndToEndTest, OkReplacesTheProgramAndStartsTheNewBuild) {
    const std::string newBytes = ReadBytes(ZORLITH_PROBE_NEW);
    UpdateService service(temp_.path() / "service", newBytes);
    ASSERT_TRUE(service.serving()) << service.log();

    EXPECT_EQ(startUp(service, true), StartupOutcome::UpdateAccepted);
    EXPECT_EQ(dialogs_.questions,
              QStringList{kTitle + QStringLiteral("已经更新至1.2\r\n点击确定立即更新")});
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_FALSE(dialogs_.statusVisibleAtQuestion) << "the status window was still up";

    QFile image(DetachedUpdaterHandOff::kUpdaterResource);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly)) << "the updater image is not embedded";
    EXPECT_EQ(ReadBytes(updater()), image.readAll().toStdString());
    EXPECT_TRUE(IsExecutableFile(updater()));

    EXPECT_TRUE(WaitFor([this] { return fs::exists(appDir() / "ran-new"); }))
        << "the new build did not run";
    waitForUpdater();
    EXPECT_EQ(ReadBytes(program()), newBytes);
    EXPECT_TRUE(IsExecutableFile(program()));
    EXPECT_FALSE(fs::exists(appDir() / ".zorlith-pk10.old"));
}

TEST_F(UpdateEndToEndTest, CancelEndsTheProgramWithoutUpdater) {
    UpdateService service(temp_.path() / "service", ReadBytes(ZORLITH_PROBE_NEW));
    ASSERT_TRUE(service.serving()) << service.log();

    EXPECT_EQ(startUp(service, false), StartupOutcome::UpdateDeclined);
    EXPECT_EQ(dialogs_.questions.size(), 1);
    EXPECT_FALSE(fs::exists(updater()));
    EXPECT_EQ(ReadBytes(program()), oldBytes_);
}

struct FailedUpdate {
    const char* name;
    // What the service serves; nullopt serves nothing (HTTP 404).
    std::function<std::optional<std::string>()> served;
};

void PrintTo(const FailedUpdate& row, std::ostream* out) {
    *out << row.name;
}

class FailedUpdateTest : public UpdateEndToEndTest,
                         public ::testing::WithParamInterface<FailedUpdate> {};

TEST_P(FailedUpdateTest, LeavesTheCopyUntouched) {
    UpdateService service(temp_.path() / "service", GetParam().served());
    ASSERT_TRUE(service.serving()) << service.log();

    EXPECT_EQ(startUp(service, true), StartupOutcome::UpdateAccepted);
    ASSERT_TRUE(fs::exists(updater()));
    waitForUpdater();
    EXPECT_EQ(ReadBytes(program()), oldBytes_);
    EXPECT_TRUE(IsExecutableFile(program()));
    EXPECT_FALSE(fs::exists(appDir() / "ran-new"));
}

INSTANTIATE_TEST_SUITE_P(
    Downloads, FailedUpdateTest,
    ::testing::Values(FailedUpdate{"DownloadFails", [] { return std::nullopt; }},
                      FailedUpdate{"Truncated",
                                   [] {
                                       const std::string whole = ReadBytes(ZORLITH_PROBE_NEW);
                                       return whole.substr(0, whole.size() / 2);
                                   }},
                      FailedUpdate{"NotAProgram",
                                   [] { return std::string("<html>维护中</html>"); }}),
    [](const ::testing::TestParamInfo<FailedUpdate>& row) { return row.param.name; });

TEST_F(UpdateEndToEndTest, AnExistingUpdaterFileIsStartedUnchangedWithTheArgumentList) {
    UpdateService service(temp_.path() / "service", ReadBytes(ZORLITH_PROBE_NEW));
    ASSERT_TRUE(service.serving()) << service.log();
    // Records the arguments it receives, one per line.
    const std::string recorder =
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
        "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args\"\n";
    WriteBytes(updater(), recorder);
    fs::permissions(updater(), fs::perms::owner_all);

    EXPECT_EQ(startUp(service, true), StartupOutcome::UpdateAccepted);
    ASSERT_TRUE(WaitFor([this] { return fs::exists(appDir() / "args"); }));
    EXPECT_EQ(ReadBytes(appDir() / "args"),
              "ZorlithPK10平刷冠军单双\n1.15\n1.2\n" + service.downloadUrl() + "\nzorlith-pk10\n");
    EXPECT_EQ(ReadBytes(updater()), recorder);
    EXPECT_EQ(ReadBytes(program()), oldBytes_);
}

} // namespace
} // namespace zorlith::testing
