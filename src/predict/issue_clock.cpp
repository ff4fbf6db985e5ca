#include "predict/issue_clock.h"

#include "draws/number_text.h"
#include "service/service_client.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace zorlith {

namespace {

// The newest draw's five fields, then the coming issue's tag, issue and time.
constexpr size_t kNewestDrawPieces = 8;

// The issue numbers are compared by their last three characters: the latest-issue address may
// answer a longer or shorter form of the same number than the draw service.
std::string_view LastThree(std::string_view text) {
    return text.size() <= 3 ? text : text.substr(text.size() - 3);
}

} // namespace

bool IssueClock::刷新开奖(DrawUpdate& result) {
    if (pollBusy_) {
        return false;
    }
    const int64_t now = UnixNow(clock_);
    if (now < lastPollTime_ + kPollInterval || now < nextDrawTime_) {
        return false;
    }
    lastPollTime_ = now;
    pollBusy_ = true;
    if (LastThree(client_.latestIssue()) == LastThree(current_.newest.issue)) {
        pollBusy_ = false;
        return false;
    }
    if (!查询最新开奖(result)) {
        pollBusy_ = false;
        return false;
    }
    pollBusy_ = false;
    lastPollTime_ = UnixNow(clock_);
    if (result.newest.issue == current_.newest.issue) {
        return false;
    }
    current_ = result;
    nextDrawTime_ = LocalTimeToUnix(current_.coming.drawTime);
    return true;
}

std::string IssueClock::取剩余时间文本() const {
    const int64_t seconds = nextDrawTime_ - UnixNow(clock_);
    const int64_t clamped = std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max());
    return 秒数到文本(static_cast<int32_t>(clamped));
}

std::string IssueClock::秒数到文本(int32_t seconds) {
    if (seconds < 0) {
        return "";
    }
    const auto twoDigits = [](int32_t value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    };
    return twoDigits(seconds / 60) + "：" + twoDigits(seconds % 60);
}

bool IssueClock::查询最新开奖(DrawUpdate& result) {
    std::vector<std::string> pieces;
    if (!client_.newestDraw(pieces) || pieces.size() != kNewestDrawPieces) {
        return false;
    }
    result.newest.tag = pieces[0];
    result.newest.issue = pieces[1];
    result.newest.drawTime = pieces[2];
    result.newest.numbers = pieces[3];
    result.newest.seed = TextToInt(pieces[4]);
    result.coming.tag = pieces[5];
    result.coming.issue = pieces[6];
    result.coming.drawTime = pieces[7];
    return true;
}

int64_t UnixNow(const Clock& clock) {
    return clock.unixNow();
}

int64_t LocalTimeToUnix(std::string_view dateTime) {
    // Exactly "YYYY?MM?DD HH:MM:SS" with "-" or "/" between the date's fields.
    if (dateTime.size() != 19) {
        return 0;
    }
    const char dateSeparator = dateTime[4];
    if ((dateSeparator != '-' && dateSeparator != '/') || dateTime[7] != dateSeparator ||
        dateTime[10] != ' ' || dateTime[13] != ':' || dateTime[16] != ':') {
        return 0;
    }
    const auto field = [&](size_t at, size_t length, int32_t& out) {
        out = 0;
        for (size_t i = at; i < at + length; ++i) {
            if (dateTime[i] < '0' || dateTime[i] > '9') {
                return false;
            }
            out = out * 10 + (dateTime[i] - '0');
        }
        return true;
    };
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    if (!field(0, 4, year) || !field(5, 2, month) || !field(8, 2, day) || !field(11, 2, hour) ||
        !field(14, 2, minute) || !field(17, 2, second)) {
        return 0;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        return 0;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const time_t converted = std::mktime(&local);
    return converted == static_cast<time_t>(-1) ? 0 : static_cast<int64_t>(converted);
}

} // namespace zorlith
