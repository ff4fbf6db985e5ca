#pragma once

#include "startup/app_context.h"
#include "startup/startup_view.h"

#include <string>

namespace zorlith {

// The live part of the program: the countdown and, once a draw is due, the poll that brings the
// new draw to the display, the plan and the history.
class DrawTimer {
public:
    // The front end ticks every 100 ms; the work runs on every third tick.
    static constexpr int kTickMs = 100;
    static constexpr int kTicksPerStep = 3;

    DrawTimer(AppContext& context, StartupView& view) : context_(context), view_(view) {}

    // One timer tick; true when it took a new draw.
    bool tick();
    // The work of one working tick; true when it took a new draw.
    bool step();

private:
    void showCaption(const std::string& text);
    void showValue(const std::string& text);

    AppContext& context_;
    StartupView& view_;
    int tickCounter_ = 0;
    // The labels as the window starts with them.
    std::string caption_ = "开奖剩余时间： ";
    std::string value_ = "00:00";
};

} // namespace zorlith
