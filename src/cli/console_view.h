#pragma once

#include "plan/plan_engine.h"
#include "plan/plan_presenter.h"
#include "startup/startup_view.h"

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace zorlith::cli {

// The console face of start-up and the draw timer: message boxes become lines on standard
// error, the plan text and each live draw go to standard output, followed by the record of the
// live cycles alone. The countdown is shown in place only on a terminal.
class ConsoleView final : public StartupView, public PlanView {
public:
    ConsoleView(const PlanEngine& engine, std::string planName, std::ostream& out,
                std::ostream& err, bool outIsTerminal, const std::atomic<bool>& stopping)
        : engine_(engine), planName_(std::move(planName)), out_(out), err_(err),
          outIsTerminal_(outIsTerminal), stopping_(stopping) {}

    void showStatus(const std::string&) override {}
    void closeStatus() override {}
    void showMessage(const std::string& text) override;
    // The console does not update itself: it shows the question and declines.
    bool askYesNo(const std::string& text) override;
    void showLinks(const std::vector<std::string>&, const std::vector<std::string>&) override {}
    void showPage(const std::string&) override {}
    void showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) override;
    void addHistoryRow(const std::string& issue, const std::string& numbers) override;
    void showCountdownCaption(const std::string& text) override;
    void showCountdownValue(const std::string& text) override;
    void pumpEvents() override {}
    void handOffToUpdater(const UpdateOffer&) override {}

    void replacePlanText(const std::string& text) override;
    void moveCaretToEnd() override {}

    // Ends the countdown line before the program stops.
    void finish();

private:
    // The record of the cycles opened after the start-up replay, as one line.
    std::string liveRecordLine() const;
    void clearCountdown();
    void drawCountdown();

    const PlanEngine& engine_;
    std::string planName_;
    std::ostream& out_;
    std::ostream& err_;
    bool outIsTerminal_;
    const std::atomic<bool>& stopping_;
    // Before the first plan text: the replay is running and its draws are not shown.
    bool replaying_ = true;
    // Cycles of the plan's slot that existed before the first live prediction.
    size_t replayedCycles_ = 0;
    std::string caption_ = "开奖剩余时间： ";
    std::string countdown_;
    bool countdownShown_ = false;
};

} // namespace zorlith::cli
