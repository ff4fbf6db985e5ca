#include "app/desktop_app.h"

#include "app/qt_text.h"
#include "app/skin.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace zorlith {

namespace {

// Start-up milestones for measurements; silent unless enabled with
// QT_LOGGING_RULES="zorlith.startup.info=true".
Q_LOGGING_CATEGORY(startupLog, "zorlith.startup", QtWarningMsg)

} // namespace

DesktopApp::DesktopApp(EventPumpingTransport& transport, const Clock& clock, DesktopSeams seams,
                       StartupOptions options, QString executableDir)
    : transport_(transport), seams_(seams), options_(std::move(options)),
      executableDir_(std::move(executableDir)),
      core_(std::make_unique<AppContext>(transport, clock)),
      statusWindow_(std::make_unique<StatusWindow>([this] { End(); })) {
    mainWindow_ = std::make_unique<MainWindow>(
        seams_.dialogs, seams_.links,
        MainWindowHandlers{.drawTimerTick = [this] { drawTimer_->tick(); },
                           .clearPlan = [this] { clearPlan(); },
                           .closed = [this] { End(); }});
    drawTimer_ = std::make_unique<DrawTimer>(*core_, *this);
}

DesktopApp::~DesktopApp() {
    mainWindow_->StopDrawTimer();
    transport_.stop();
    drawTimer_.reset();
    core_.reset();
    statusWindow_.reset();
    mainWindow_.reset();
}

bool DesktopApp::Start() {
    outcome_ = RunStartup(*core_, *this, mainWindow_->planView(), options_);
    if (outcome_ != StartupOutcome::Ready || ending_) {
        return false;
    }
    qCInfo(startupLog, "plan text filled: %lld characters",
           static_cast<long long>(mainWindow_->planTextBox()->toPlainText().size()));
    mainWindow_->StartDrawTimer();
    mainWindow_->setStartupComplete();
    statusWindow_->Close();
    ApplySkin(kSkinNumber, executableDir_);
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    mainWindow_->planView().moveCaretToEnd();
    qCInfo(startupLog, "main window shown");
    return true;
}

void DesktopApp::End() {
    if (ending_) {
        return;
    }
    ending_ = true;
    mainWindow_->StopDrawTimer();
    transport_.stop();
    // Stops the message loop once it runs; during start-up the sequence sees `ending_` instead.
    QCoreApplication::quit();
}

void DesktopApp::showStatus(const std::string& text) {
    if (!ending_) {
        statusWindow_->Show(ToQString(text));
    }
}

void DesktopApp::closeStatus() {
    statusWindow_->Close();
}

void DesktopApp::showMessage(const std::string& text) {
    if (!ending_) {
        seams_.dialogs.inform(ToQString(text));
    }
}

bool DesktopApp::askYesNo(const std::string& text) {
    return !ending_ && seams_.dialogs.confirm(ToQString(text));
}

void DesktopApp::showLinks(const std::vector<std::string>& titles,
                           const std::vector<std::string>& urls) {
    mainWindow_->LayOutLinks(titles, urls);
}

void DesktopApp::showPage(const std::string& url) {
    mainWindow_->SetPageAddress(url);
}

void DesktopApp::showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) {
    mainWindow_->ShowLatestDraw(issueLabel, numbersLabel);
}

void DesktopApp::addHistoryRow(const std::string& issue, const std::string& numbers) {
    mainWindow_->AddHistoryRow(issue, numbers);
}

void DesktopApp::showCountdownCaption(const std::string& text) {
    mainWindow_->SetCountdownCaption(text);
}

void DesktopApp::showCountdownValue(const std::string& text) {
    mainWindow_->SetCountdownValue(text);
}

void DesktopApp::pumpEvents() {
    QCoreApplication::processEvents();
}

void DesktopApp::handOffToUpdater(const UpdateOffer& offer) {
    seams_.updateHandOff.start(offer);
    End();
}

void DesktopApp::clearPlan() {
    core_->presenter.rebuild(core_->history);
}

} // namespace zorlith
