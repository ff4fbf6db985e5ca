#pragma once

#include "draws/draw_history.h"
#include "predict/clock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zorlith {

class ServiceClient;

// Knows the newest draw and when the next one is due; gives the countdown and polls the service
// for a new draw, at most once every 6 seconds, never before the scheduled time and never two
// polls at once.
class IssueClock {
public:
    static constexpr int64_t kPollInterval = 6;

    IssueClock(ServiceClient& client, const Clock& clock) : client_(client), clock_(clock) {}

    // True when a draw with a new issue number was adopted; `result` then holds it.
    bool 刷新开奖(DrawUpdate& result);
    // The countdown to the next draw; "" once its time has passed.
    std::string 取剩余时间文本() const;
    // "mm：ss" with at least two digits each; "" for a negative count.
    static std::string 秒数到文本(int32_t seconds);
    // One request for the newest draw; `result` changes only on success.
    bool 查询最新开奖(DrawUpdate& result);

    bool pollBusy() const { return pollBusy_; }
    int64_t lastPollTime() const { return lastPollTime_; }
    int64_t nextDrawTime() const { return nextDrawTime_; }
    const DrawUpdate& current() const { return current_; }

private:
    ServiceClient& client_;
    const Clock& clock_;
    DrawUpdate current_;
    int64_t nextDrawTime_ = 0;
    bool pollBusy_ = false;
    int64_t lastPollTime_ = 0;
};

int64_t UnixNow(const Clock& clock);
// "YYYY-MM-DD HH:MM:SS" or "YYYY/MM/DD HH:MM:SS" read as a local time; 0 for any other text.
int64_t LocalTimeToUnix(std::string_view dateTime);

} // namespace zorlith
