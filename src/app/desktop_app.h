#pragma once

#include "app/dialogs.h"
#include "app/event_pumping_transport.h"
#include "app/external_links.h"
#include "app/main_window.h"
#include "app/status_window.h"
#include "app/update_hand_off.h"
#include "startup/app_context.h"
#include "startup/draw_timer.h"
#include "startup/startup_stages.h"
#include "startup/startup_view.h"

#include <QString>
#include <memory>

namespace zorlith {

// The parts of the desktop tool that tests replace: the message boxes, the system's browser and
// the updater.
struct DesktopSeams {
    Dialogs& dialogs;
    ExternalLinks& links;
    UpdateHandOff& updateHandOff;
};

// The desktop tool: the objects that live for the whole run, the status window and the main
// window, which shows what the core's start-up and draw timer produce.
class DesktopApp final : public StartupView {
public:
    static constexpr int kSkinNumber = 2;

    DesktopApp(EventPumpingTransport& transport, const Clock& clock, DesktopSeams seams,
               StartupOptions options, QString executableDir);
    // The exit routine: everything is released, whichever way the program ends.
    ~DesktopApp() override;
    DesktopApp(const DesktopApp&) = delete;
    DesktopApp& operator=(const DesktopApp&) = delete;

    // The main window's creation sequence: start-up through the core's stages, then the draw
    // timer, the skin and the window. False when start-up ended the program (a failure, an
    // update, or the user closing the status window); the main window is then never shown.
    bool Start();
    // Ends the program with exit code 0: running requests are aborted, no further message
    // boxes appear, and the message loop stops.
    void End();
    bool ending() const { return ending_; }

    AppContext& core() { return *core_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    StatusWindow& statusWindow() { return *statusWindow_; }
    StartupOutcome startupOutcome() const { return outcome_; }

    void showStatus(const std::string& text) override;
    void closeStatus() override;
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void showLinks(const std::vector<std::string>& titles,
                   const std::vector<std::string>& urls) override;
    void showPage(const std::string& url) override;
    void showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) override;
    void addHistoryRow(const std::string& issue, const std::string& numbers) override;
    void showCountdownCaption(const std::string& text) override;
    void showCountdownValue(const std::string& text) override;
    void pumpEvents() override;
    void handOffToUpdater(const UpdateOffer& offer) override;

private:
    void clearPlan();

    EventPumpingTransport& transport_;
    DesktopSeams seams_;
    StartupOptions options_;
    QString executableDir_;
    bool ending_ = false;
    StartupOutcome outcome_ = StartupOutcome::Failed;
    // Created in this order. The exit routine stops the draw timer and releases the core's
    // objects first, then the status window, then the main window the presenter wrote into.
    std::unique_ptr<AppContext> core_;
    std::unique_ptr<StatusWindow> statusWindow_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<DrawTimer> drawTimer_;
};

} // namespace zorlith
