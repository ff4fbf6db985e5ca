#pragma once

#include "draws/draw_history.h"
#include "plan/plan_engine.h"

#include <functional>
#include <string>

namespace zorlith {

// Where the plan text is shown: the window's text box, the console, a test.
class PlanView {
public:
    virtual ~PlanView() = default;
    virtual void replacePlanText(const std::string& text) = 0;
    virtual void moveCaretToEnd() = 0;
    // Lets queued window events run; a console has none.
    virtual void pumpEvents() = 0;
};

// Feeds draws to the engine and writes the plan into its view.
class PlanPresenter {
public:
    // The rebuild replays at most this many stored draws, the newest ones.
    static constexpr size_t kRebuildDepth = 50;

    using RecordVisitor = std::function<void(const DrawRecord&)>;

    PlanPresenter(PlanEngine& engine, const Clock& clock) : engine_(engine), clock_(clock) {}

    void setup(PlanView& view, std::string planName);
    // Feeds one live draw, seeded with the uptime, and shows the plan.
    void feedLatest(const DrawRecord& record);
    void showPlan();
    // Clears every cycle and replays the newest stored draws.
    void rebuild(const DrawHistory& history);

    // The replay of start-up and rebuild: history[depth - 1] to history[1], oldest first, each
    // with its own seed and the numbers of the next newer draw, then history[0] as a live
    // draw. `afterFeed` sees every record once it has been fed.
    void replay(const DrawHistory& history, size_t depth, const RecordVisitor& afterFeed = {});

    const std::string& planName() const { return planName_; }

private:
    PlanEngine& engine_;
    const Clock& clock_;
    PlanView* view_ = nullptr;
    std::string planName_;
};

} // namespace zorlith
