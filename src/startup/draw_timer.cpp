#include "startup/draw_timer.h"

#include "startup/startup_stages.h"

namespace zorlith {

namespace {

constexpr const char* kCountingCaption = "开奖剩余时间： ";
constexpr const char* kDrawingCaption = "正在开奖……";

} // namespace

bool DrawTimer::tick() {
    if (tickCounter_ < kTicksPerStep - 1) {
        ++tickCounter_;
        return false;
    }
    tickCounter_ = 0;
    return step();
}

bool DrawTimer::step() {
    const std::string countdown = context_.issueClock.取剩余时间文本();
    if (!countdown.empty()) {
        showCaption(kCountingCaption);
        showValue(countdown);
        return false;
    }
    if (caption_ != kDrawingCaption) {
        showValue("");
        showCaption(kDrawingCaption);
    }
    view_.pumpEvents();
    if (!context_.issueClock.刷新开奖(context_.latestUpdate)) {
        return false;
    }
    // A copy: the events pumped below may run a nested tick that rewrites the shared pair.
    const DrawRecord draw = context_.latestUpdate.newest;
    view_.showLatestDraw(IssueLabel(draw.issue), draw.numbers);
    view_.pumpEvents();
    context_.presenter.feedLatest(draw);
    PrependDraw(context_.history, draw);
    view_.addHistoryRow(draw.issue, draw.numbers);
    return true;
}

void DrawTimer::showCaption(const std::string& text) {
    if (caption_ != text) {
        caption_ = text;
        view_.showCountdownCaption(text);
    }
}

void DrawTimer::showValue(const std::string& text) {
    if (value_ != text) {
        value_ = text;
        view_.showCountdownValue(text);
    }
}

} // namespace zorlith
