#include "predict/clock.h"

#include <ctime>

namespace zorlith {

int64_t SystemClock::unixNow() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}

uint32_t SystemClock::uptimeMs() const {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

} // namespace zorlith
