#include "cli/live_command.h"

#include "cli/command_line.h"
#include "cli/console_view.h"
#include "cli/offline_commands.h"
#include "startup/draw_timer.h"
#include "startup/startup_stages.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <ostream>

namespace zorlith::cli {

namespace {

// Set by Ctrl+C (or a termination request); everything that waits looks at it.
std::atomic<bool> stopRequested = false;

extern "C" void RequestStop(int) {
    stopRequested = true;
}

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = &RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a sleep ends at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void SleepOneTick() {
    timespec tick{0, DrawTimer::kTickMs * 1'000'000L};
    nanosleep(&tick, nullptr);
}

} // namespace

int RunLive(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
            bool outIsTerminal) {
    UsageError error;
    const auto options = Options::Parse(args, {"service", "plan", "once"}, {"once"}, error);
    if (!options) {
        return Refuse(err, error.message);
    }
    StartupOptions startup;
    if (options->has("service")) {
        startup.primaryEndpoint = options->value("service");
    }
    if (options->has("plan")) {
        startup.planName = options->value("plan");
    }
    const SystemClock clock;
    if (PlanEngine probe(clock); !probe.configure(startup.planName, startup.planName, 1)) {
        return Refuse(err, "unrecognised plan name: \"" + startup.planName + "\"");
    }

    stopRequested = false;
    InstallStopHandlers();
    CurlTransport transport(CurlTransport::Limits{}, &stopRequested);
    AppContext context(transport, clock);
    context.cloudSdk.load();
    ConsoleView view(context.engine, startup.planName, out, err, outIsTerminal, stopRequested);

    switch (RunStartup(context, view, view, startup)) {
    case StartupOutcome::Ready:
        break;
    case StartupOutcome::UpdateDeclined:
    case StartupOutcome::UpdateAccepted:
        return 0;
    case StartupOutcome::Failed:
        return stopRequested ? 130 : 1;
    }
    if (options->has("once")) {
        return 0;
    }
    DrawTimer timer(context, view);
    while (!stopRequested) {
        timer.tick();
        SleepOneTick();
    }
    view.finish();
    return 0;
}

} // namespace zorlith::cli
