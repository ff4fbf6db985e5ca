#pragma once

#include <functional>

namespace zorlith {

// SIGTERM, SIGINT and SIGHUP end the program the way closing its window does, so the exit
// routine runs and the exit code is 0. `onSignal` runs on the GUI thread.
void EndOnTerminationSignals(std::function<void()> onSignal);

} // namespace zorlith
