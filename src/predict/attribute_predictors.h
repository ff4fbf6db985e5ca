#pragma once

#include "predict/predictor.h"

namespace zorlith {

// A two-valued attribute of a number: the first text when a draw from the seed gives 1.
struct OddEvenAttribute {
    static constexpr const char* kFirst = "单";
    static constexpr const char* kSecond = "双";
    static const char* Of(int64_t n) { return n % 2 == 1 ? kFirst : kSecond; }
};

struct BigSmallAttribute {
    static constexpr const char* kFirst = "小";
    static constexpr const char* kSecond = "大";
    static const char* Of(int64_t n) { return n <= 5 ? kFirst : kSecond; }
};

// The attribute of the sum over `count` places from `firstPlace`; a single place is a sum of
// one. Big/small keeps the single-place threshold of 5 for sums too.
template <typename Attribute> class AttributePredictor : public Predictor {
public:
    std::string 取下期预测(int32_t seed) const override;
    bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const override;

protected:
    void configure(int32_t firstPlace, int32_t count, std::string_view name);
    int32_t firstPlace() const { return firstPlace_; }

private:
    int32_t firstPlace_ = 0;
    int32_t count_ = 0;
};

template <typename Attribute> class PlaceAttributePredictor : public AttributePredictor<Attribute> {
public:
    void 置参数(int32_t place, std::string_view name) { this->configure(place, 1, name); }
    int32_t place() const { return this->firstPlace(); }
};

template <typename Attribute> class SumAttributePredictor : public AttributePredictor<Attribute> {
public:
    void 置参数(int32_t firstPlace, int32_t count, std::string_view name) {
        this->configure(firstPlace, count, name);
    }
};

class PlaceOddEvenPredictor
    : public PredictorKind<PlaceOddEvenPredictor, PlaceAttributePredictor<OddEvenAttribute>> {};
class PlaceBigSmallPredictor
    : public PredictorKind<PlaceBigSmallPredictor, PlaceAttributePredictor<BigSmallAttribute>> {};
class SumOddEvenPredictor
    : public PredictorKind<SumOddEvenPredictor, SumAttributePredictor<OddEvenAttribute>> {};
class SumBigSmallPredictor
    : public PredictorKind<SumBigSmallPredictor, SumAttributePredictor<BigSmallAttribute>> {};

} // namespace zorlith
