#pragma once

#include "plan/plan_engine.h"

#include <string>
#include <string_view>

namespace zorlith {

struct PlanStatistics {
    int32_t total = 0; // every cycle, the open one included
    int32_t hits = 0;
    int32_t misses = 0;
};

PlanStatistics CountCycles(const PlanSlot& slot);

// 100 ÷ (total ÷ hits), rounded half away from zero to two decimals, at most 13 significant
// digits: "33.33", "12.5", "60". "0" when there is nothing to count yet.
std::string HitRateText(int32_t total, int32_t hits);

// The plan of the named slot, a blank line, the statistics and the risk notice, each line ended
// by "\r\n", the whole ended by a blank line: what the plan text box shows.
std::string PlanTextWithStatistics(const PlanEngine& engine, std::string_view planName);

// The same text with "\n" line ends, as a console prints it.
std::string ToConsoleLineEnds(std::string_view text);

} // namespace zorlith
