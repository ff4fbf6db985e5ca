#include "plan/plan_presenter.h"

#include "plan/plan_text.h"

#include <algorithm>

namespace zorlith {

void PlanPresenter::setup(PlanView& view, std::string planName) {
    view_ = &view;
    planName_ = std::move(planName);
}

void PlanPresenter::feedLatest(const DrawRecord& record) {
    engine_.feedDraw(record.issue, record.numbers, static_cast<int32_t>(clock_.uptimeMs()), "");
    showPlan();
}

void PlanPresenter::showPlan() {
    if (view_ == nullptr) {
        return;
    }
    view_->replacePlanText(PlanTextWithStatistics(engine_, planName_));
    view_->moveCaretToEnd();
    view_->pumpEvents();
}

void PlanPresenter::rebuild(const DrawHistory& history) {
    engine_.clearCycles();
    replay(history, std::min(kRebuildDepth, history.size()));
}

void PlanPresenter::replay(const DrawHistory& history, size_t depth,
                           const RecordVisitor& afterFeed) {
    depth = std::min(depth, history.size());
    if (depth == 0) {
        return;
    }
    for (size_t k = depth - 1; k >= 1; --k) {
        const DrawRecord& record = history[k];
        engine_.feedDraw(record.issue, record.numbers, record.seed, history[k - 1].numbers);
        if (afterFeed) {
            afterFeed(record);
        }
    }
    feedLatest(history[0]);
    if (afterFeed) {
        afterFeed(history[0]);
    }
}

} // namespace zorlith
