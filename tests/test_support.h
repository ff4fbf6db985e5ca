#pragma once

#include "draws/draw_history.h"
#include "predict/clock.h"
#include "predict/predictor.h"

#include <string>

namespace zorlith::testing_support {

// An uptime that tests set, counting how often it is read.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t uptime = 1000) : uptime_(uptime) {}
    int64_t unixNow() const override { return unixNow_; }
    uint32_t uptimeMs() const override {
        ++uptimeReads_;
        return uptime_;
    }
    void setUptime(uint32_t uptime) { uptime_ = uptime; }
    void setUnixNow(int64_t now) { unixNow_ = now; }
    int uptimeReads() const { return uptimeReads_; }

private:
    uint32_t uptime_;
    int64_t unixNow_ = 0;
    mutable int uptimeReads_ = 0;
};

// Always predicts the same text and hits exactly when the champion is "01", so that a test
// chooses every outcome by the draw it feeds.
class ChampionOnePredictor final : public PredictorKind<ChampionOnePredictor> {
public:
    explicit ChampionOnePredictor(std::string name = "测试", std::string prediction = "P") {
        置名称(name);
        prediction_ = std::move(prediction);
    }
    std::string 取下期预测(int32_t) const override { return prediction_; }
    bool 验证预测(const DrawNumbers& numbers, std::string_view) const override {
        return numbers.at(0) == "01";
    }

private:
    std::string prediction_;
};

inline const char* const kHitDraw = "01,02,03,04,05,06,07,08,09,10";
inline const char* const kMissDraw = "02,01,03,04,05,06,07,08,09,10";

} // namespace zorlith::testing_support
