#include "cli/console_view.h"

#include "plan/plan_text.h"

#include <ostream>

namespace zorlith::cli {

void ConsoleView::showMessage(const std::string& text) {
    if (stopping_) {
        return; // an interrupted request is no failure to report
    }
    clearCountdown();
    err_ << ToConsoleLineEnds(text) << '\n' << std::flush;
}

bool ConsoleView::askYesNo(const std::string& text) {
    clearCountdown();
    out_ << ToConsoleLineEnds(text) << '\n' << std::flush;
    return false;
}

void ConsoleView::showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) {
    if (replaying_) {
        return;
    }
    clearCountdown();
    out_ << issueLabel << numbersLabel << '\n' << std::flush;
}

void ConsoleView::addHistoryRow(const std::string&, const std::string&) {
    // During the replay every row follows a replayed feed; the last one before the first plan
    // text closes the replayed part of the plan.
    if (!replaying_) {
        return;
    }
    const int32_t index = engine_.findSlot(planName_);
    replayedCycles_ =
        index == 0 ? 0 : engine_.slots()[static_cast<size_t>(index - 1)].cycles.size();
}

void ConsoleView::replacePlanText(const std::string& text) {
    replaying_ = false;
    clearCountdown();
    out_ << ToConsoleLineEnds(text) << liveRecordLine() << '\n' << std::flush;
}

void ConsoleView::showCountdownCaption(const std::string& text) {
    caption_ = text;
    drawCountdown();
}

void ConsoleView::showCountdownValue(const std::string& text) {
    countdown_ = text;
    drawCountdown();
}

void ConsoleView::finish() {
    clearCountdown();
}

std::string ConsoleView::liveRecordLine() const {
    PlanStatistics live;
    const int32_t index = engine_.findSlot(planName_);
    if (index != 0) {
        const auto& cycles = engine_.slots()[static_cast<size_t>(index - 1)].cycles;
        for (size_t i = replayedCycles_; i < cycles.size(); ++i) {
            ++live.total;
            live.hits += cycles[i].state == kCycleHit ? 1 : 0;
            live.misses += cycles[i].state == kCycleMiss ? 1 : 0;
        }
    }
    return "实时计划统计：总计" + std::to_string(live.total) + "期，中" +
           std::to_string(live.hits) + "期，挂" + std::to_string(live.misses) + "期，中奖率为" +
           HitRateText(live.total, live.hits) + "%（仅计启动后实时预测的周期，不含回放）";
}

void ConsoleView::clearCountdown() {
    if (countdownShown_) {
        out_ << "\r\033[K" << std::flush;
        countdownShown_ = false;
    }
}

void ConsoleView::drawCountdown() {
    if (!outIsTerminal_) {
        return;
    }
    out_ << "\r\033[K" << caption_ << countdown_ << std::flush;
    countdownShown_ = true;
}

} // namespace zorlith::cli
