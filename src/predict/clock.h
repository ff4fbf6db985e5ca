#pragma once

#include <cstdint>

namespace zorlith {

// Wall time and uptime, injected so that replays and polling can be reproduced in tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the Unix epoch.
    virtual int64_t unixNow() const = 0;
    // Milliseconds since the machine started, as a 32-bit value that wraps.
    virtual uint32_t uptimeMs() const = 0;
};

// CLOCK_REALTIME and CLOCK_MONOTONIC.
class SystemClock final : public Clock {
public:
    int64_t unixNow() const override;
    uint32_t uptimeMs() const override;
};

// Answers every uptime reading with the same value; wall time stays real.
class FixedUptimeClock final : public Clock {
public:
    explicit FixedUptimeClock(uint32_t uptimeMs) : uptimeMs_(uptimeMs) {}
    int64_t unixNow() const override { return system_.unixNow(); }
    uint32_t uptimeMs() const override { return uptimeMs_; }

private:
    SystemClock system_;
    uint32_t uptimeMs_;
};

} // namespace zorlith
