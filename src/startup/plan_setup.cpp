#include "startup/plan_setup.h"

#include "startup/app_identity.h"

namespace zorlith {

bool ConfigurePlan(PlanEngine& engine, std::string_view planName, const PlanSettings& settings) {
    const bool recognised = engine.configure(planName, planName, AppIdentity.cycleIssues);
    engine.setCycleIssues(settings.cycleIssues, "", 0);
    engine.setHistoryLimit(settings.historyLimit);
    engine.setHitPercent(settings.hitPercent);
    engine.setWipeOnLosingStreak(settings.wipeOnLosingStreak);
    return recognised;
}

} // namespace zorlith
