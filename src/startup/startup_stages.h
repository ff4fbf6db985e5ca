#pragma once

#include "plan/plan_presenter.h"
#include "startup/app_context.h"
#include "startup/app_identity.h"
#include "startup/startup_view.h"

#include <string>
#include <string_view>

namespace zorlith {

// The built-in application-initialisation endpoint (a build setting) and the local fallback.
std::string_view PrimaryEndpoint();
std::string_view FallbackEndpoint();

// Where start-up connects and which plan it builds.
struct StartupOptions {
    std::string primaryEndpoint{PrimaryEndpoint()};
    std::string fallbackEndpoint{FallbackEndpoint()};
    std::string planName{AppIdentity.planName};
};

enum class StartupOutcome {
    Ready,          // the plan is built; the draw timer may start
    Failed,         // the user has been told why in a message
    UpdateDeclined, // a newer version was announced and the user said no
    UpdateAccepted, // the view has handed off to the updater
};

// The number that leads a version text, as a 32-bit float; 0 when it does not begin with one.
float VersionNumber(std::string_view version);
bool IsNewerVersion(std::string_view announced, std::string_view own);
// "<title>已经更新至<announced>\r\n点击确定立即更新".
std::string UpdateQuestion(std::string_view announced);
// "PK拾第<issue>期：".
std::string IssueLabel(std::string_view issue);

// Connects (primary endpoint, then the fallback), takes the configuration, shows the links,
// checks the announced version and binds the presenter to the plan view.
StartupOutcome RunServiceStage(AppContext& context, StartupView& view, PlanView& planView,
                               const StartupOptions& options);
// Configures the plan, shows the page, learns the newest draw from the issue clock, loads the
// latest 50 draws and replays them into the plan. False after a message.
bool RunPlanStage(AppContext& context, StartupView& view, const StartupOptions& options);

// The whole start-up: the status window, both stages, and the status window closed when the
// plan is ready. The front end then starts its draw timer and shows itself.
StartupOutcome RunStartup(AppContext& context, StartupView& view, PlanView& planView,
                          const StartupOptions& options);

} // namespace zorlith
