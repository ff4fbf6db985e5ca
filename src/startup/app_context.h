#pragma once

#include "draws/draw_history.h"
#include "plan/plan_engine.h"
#include "plan/plan_presenter.h"
#include "predict/issue_clock.h"
#include "service/cloud_sdk.h"
#include "service/service_client.h"

namespace zorlith {

// The objects that live from start-up to the end of the program, created in this order and
// released in reverse. The engine precedes the presenter that refers to it.
struct AppContext {
    AppContext(HttpTransport& transport, const Clock& clock)
        : client(transport, clock), issueClock(client, clock), engine(clock),
          presenter(engine, clock) {}

    CloudSdk cloudSdk;
    ServiceClient client;
    AppConfig config;
    IssueClock issueClock;
    // Receives each new draw of the draw timer's polls.
    DrawUpdate latestUpdate;
    PlanEngine engine;
    PlanPresenter presenter;
    DrawHistory history;
};

} // namespace zorlith
