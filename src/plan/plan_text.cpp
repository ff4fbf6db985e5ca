#include "plan/plan_text.h"

#include <cmath>
#include <cstdio>

namespace zorlith {

std::string PlanEngine::renderSlot(const PlanSlot& slot, std::string_view title) const {
    const bool singleIssue = slot.cycleIssues == 1;
    std::string text;
    for (const PlanCycle& cycle : slot.cycles) {
        std::string line(title);
        line += slot.name;
        const std::string issues = singleIssue ? cycle.firstIssue + "期 "
                                               : cycle.firstIssue + "-" + cycle.lastIssue + "期 ";
        std::string outcome;
        switch (cycle.state) {
        case kCycleHit:
            outcome = "<" + cycle.checkedIssue + "期>→中";
            break;
        case kCycleMiss:
            outcome = singleIssue ? "<" + cycle.checkedIssue + "期>→无" : "挂";
            break;
        default:
            outcome = "等开";
            break;
        }
        if (slot.displayMode == 1) {
            line += "【" + cycle.prediction + "】 " + outcome;
        } else {
            line += " " + outcome;
        }
        text += issues + line + "\r\n";
    }
    if (slot.displayMode == 2 && !slot.cycles.empty()) {
        text += "\r\n\r\n " + slot.cycles.back().prediction + "\r\n";
    }
    return text;
}

PlanStatistics CountCycles(const PlanSlot& slot) {
    PlanStatistics statistics;
    statistics.total = slot.cycleCount();
    for (const PlanCycle& cycle : slot.cycles) {
        statistics.hits += cycle.state == kCycleHit ? 1 : 0;
        statistics.misses += cycle.state == kCycleMiss ? 1 : 0;
    }
    return statistics;
}

std::string HitRateText(int32_t total, int32_t hits) {
    if (total == 0) {
        return "0";
    }
    const double rate = 100.0 / (static_cast<double>(total) / static_cast<double>(hits));
    const double rounded = std::round(rate * 100.0) / 100.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", rounded);
    return buffer;
}

std::string PlanTextWithStatistics(const PlanEngine& engine, std::string_view planName) {
    const int32_t index = engine.findSlot(planName);
    const PlanStatistics counted =
        index == 0 ? PlanStatistics{} : CountCycles(engine.slots()[static_cast<size_t>(index - 1)]);
    return engine.renderPlan(planName) + "\r\n\r\n" + "当前计划统计：总计" +
           std::to_string(counted.total) + "期，中" + std::to_string(counted.hits) + "期，挂" +
           std::to_string(counted.misses) + "期，中奖率为" +
           HitRateText(counted.total, counted.hits) + "%\r\n彩票有风险，投注需谨慎！" + "\r\n\r\n";
}

std::string ToConsoleLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace zorlith
