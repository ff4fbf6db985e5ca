#pragma once

#include "predict/predictor.h"

namespace zorlith {

// Sizes of number sets and groups are kept to 1..10: more than ten distinct numbers from 1 to
// 10 could never be drawn, and none would print nothing.
int32_t ClampSetSize(int32_t size);

// `count` distinct numbers from 1 to 10 drawn from the current random sequence, in ascending
// order.
std::vector<int32_t> DrawDistinctNumbers(int32_t count);

// The set kinds print with display mode 2 and take their cycle length from configuration.
class NumberSetPredictorBase : public Predictor {
public:
    std::string 取下期预测(int32_t seed) const override;
    int32_t count() const { return count_; }

protected:
    // `subject` is the place or the car; `builtName` stands in for an empty name.
    void configure(int32_t subject, int32_t count, std::string_view name, int32_t cycle,
                   std::string_view builtName);
    int32_t subject() const { return subject_; }

private:
    int32_t subject_ = 0;
    int32_t count_ = 0;
};

// `count` numbers for the car at `place`.
class PlaceNumberSetPredictor
    : public PredictorKind<PlaceNumberSetPredictor, NumberSetPredictorBase> {
public:
    void 置参数(int32_t place, int32_t count, std::string_view name, int32_t cycle);
    bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const override;
    int32_t place() const { return subject(); }
};

// `count` places for car `carNumber`.
class CarPositionPredictor : public PredictorKind<CarPositionPredictor, NumberSetPredictorBase> {
public:
    void 置参数(int32_t carNumber, int32_t count, std::string_view name, int32_t cycle);
    bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const override;
    int32_t carNumber() const { return subject(); }
};

// One number that must finish in one of `count` places from `firstPlace`.
class TopSingleNumberPredictor : public PredictorKind<TopSingleNumberPredictor> {
public:
    void 置参数(int32_t firstPlace, int32_t count, std::string_view name);
    std::string 取下期预测(int32_t seed) const override;
    bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const override;

private:
    int32_t firstPlace_ = 0;
    int32_t count_ = 0;
};

} // namespace zorlith
