#pragma once

#include "plan/plan_engine.h"

#include <string_view>

namespace zorlith {

// The settings that start-up gives the engine once the plan's slot exists.
struct PlanSettings {
    int32_t cycleIssues = 1;
    int32_t historyLimit = 0;
    int32_t hitPercent = 60;
    int32_t wipeOnLosingStreak = 0;
};

// Adds the plan's slot (the plan name is also the slot name) and applies the settings in the
// order start-up uses. False when the name is not recognised; the settings apply either way.
bool ConfigurePlan(PlanEngine& engine, std::string_view planName, const PlanSettings& settings);

} // namespace zorlith
