// zorlith-updater TITLE OLDVERSION NEWVERSION URL EXENAME
//
// Started by the desktop tool, next to it, once the user agreed to update. Replaces the program
// EXENAME in the updater's own directory with the file at URL and starts it again. A small window
// shows the progress; a failure is told in one message box and leaves the program as it was.
// With ZORLITH_UPDATER_NO_WINDOW=1, without a display, or on the offscreen platform, there is no
// window and the message goes to stderr instead.
#include "update_job.h"
#include "update_request.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zorlith {
namespace {

constexpr int kUpdated = 0;
constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

std::string StepText(UpdateStep step, const std::string& announcedVersion) {
    switch (step) {
    case UpdateStep::WaitingForExit:
        return "正在等待旧版本退出……";
    case UpdateStep::Downloading:
        return "正在下载新版本 " + announcedVersion + "……";
    case UpdateStep::Checking:
        return "正在检查新版本……";
    case UpdateStep::Installing:
        return "正在安装新版本……";
    case UpdateStep::Restarting:
        return "正在启动新版本……";
    }
    return "";
}

// A window only where someone can see it: a message box nobody sees would wait forever.
bool WindowWanted() {
    if (qEnvironmentVariable("ZORLITH_UPDATER_NO_WINDOW") == QLatin1String("1")) {
        return false;
    }
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(QLatin1String("offscreen")) ||
        platform.startsWith(QLatin1String("minimal"))) {
        return false;
    }
    return !platform.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

class SilentObserver final : public UpdateObserver {
public:
    void step(UpdateStep) override {}
    void downloaded(int64_t, int64_t) override {}
};

// The progress window. Closing it cancels a download that is still running.
class ProgressWindow final : public QWidget {
public:
    ProgressWindow(const QString& title, std::atomic<bool>& cancel) : cancel_(cancel) {
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        label_ = new QLabel(this);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 0);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        setMinimumWidth(360);
    }

    void showStep(const QString& text) {
        label_->setText(text);
        bar_->setRange(0, 0);
    }
    void showDownloaded(int64_t received, int64_t expected) {
        if (expected <= 0) {
            return;
        }
        // Per mille keeps the bar's int range safe for any size.
        bar_->setRange(0, 1000);
        bar_->setValue(static_cast<int>(received * 1000 / expected));
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        cancel_ = true;
        event->accept();
    }

private:
    std::atomic<bool>& cancel_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

class WindowObserver final : public UpdateObserver {
public:
    WindowObserver(ProgressWindow& window, std::string announcedVersion)
        : window_(window), announcedVersion_(std::move(announcedVersion)) {}

    void step(UpdateStep current) override {
        const QString text = QString::fromStdString(StepText(current, announcedVersion_));
        QMetaObject::invokeMethod(
            &window_, [this, text] { window_.showStep(text); }, Qt::QueuedConnection);
    }
    void downloaded(int64_t received, int64_t expected) override {
        QMetaObject::invokeMethod(
            &window_, [this, received, expected] { window_.showDownloaded(received, expected); },
            Qt::QueuedConnection);
    }

private:
    ProgressWindow& window_;
    std::string announcedVersion_;
};

int RunWithWindow(char* program, const UpdateRequest& request, const UpdateSettings& settings) {
    // Qt sees only the program name: the five arguments are ours, whatever they look like.
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);

    std::atomic<bool> cancel{false};
    const QString title = QString::fromStdString(request.title);
    ProgressWindow window(title + QStringLiteral(" 更新"), cancel);
    window.show();
    WindowObserver observer(window, request.announcedVersion);

    UpdateResult result;
    std::thread worker([&] {
        result = RunUpdate(request, settings, observer, &cancel);
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    worker.join();
    window.hide();
    if (!result.replaced) {
        QMessageBox::critical(nullptr, title, QString::fromStdString(result.message));
        return kFailed;
    }
    return kUpdated;
}

int Run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto request = ParseUpdaterArguments(args, error);
    if (!request) {
        std::fprintf(stderr, "zorlith-updater: %s\n", error.c_str());
        return kBadArguments;
    }
    const auto machine = RunningMachineIdentity();
    std::error_code ignored;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (!machine || self.empty()) {
        std::fprintf(stderr, "zorlith-updater: 无法读取更新器自身的文件\n");
        return kFailed;
    }
    const UpdateSettings settings{self.parent_path(), *machine, DownloadLimits{}};

    if (WindowWanted()) {
        return RunWithWindow(argv[0], *request, settings);
    }
    SilentObserver observer;
    const UpdateResult result = RunUpdate(*request, settings, observer);
    if (!result.replaced) {
        std::fprintf(stderr, "zorlith-updater: %s\n", result.message.c_str());
        return kFailed;
    }
    return kUpdated;
}

} // namespace
} // namespace zorlith

int main(int argc, char** argv) {
    return zorlith::Run(argc, argv);
}
