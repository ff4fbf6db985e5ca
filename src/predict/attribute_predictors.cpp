#include "predict/attribute_predictors.h"

#include "draws/number_text.h"
#include "predict/random_source.h"

namespace zorlith {
namespace {

template <typename Attribute> std::string PickAttribute(int32_t seed) {
    SeedRandom(seed);
    return RandomInRange(1, 2) == 1 ? Attribute::kFirst : Attribute::kSecond;
}

} // namespace

template <typename Attribute>
void PlaceAttributePredictor<Attribute>::置参数(int32_t place, std::string_view name) {
    place_ = place;
    置名称(name);
}

template <typename Attribute>
std::string PlaceAttributePredictor<Attribute>::取下期预测(int32_t seed) const {
    return PickAttribute<Attribute>(seed);
}

template <typename Attribute>
bool PlaceAttributePredictor<Attribute>::验证预测(const DrawNumbers& numbers,
                                                  std::string_view prediction) const {
    return prediction == Attribute::Of(TextToInt(NumberAtPlace(numbers, place_)));
}

template <typename Attribute>
void SumAttributePredictor<Attribute>::置参数(int32_t firstPlace, int32_t count,
                                              std::string_view name) {
    firstPlace_ = firstPlace;
    count_ = count;
    置名称(name);
}

template <typename Attribute>
std::string SumAttributePredictor<Attribute>::取下期预测(int32_t seed) const {
    return PickAttribute<Attribute>(seed);
}

template <typename Attribute>
bool SumAttributePredictor<Attribute>::验证预测(const DrawNumbers& numbers,
                                                std::string_view prediction) const {
    int64_t sum = 0;
    for (int32_t i = 1; i <= count_; ++i) {
        sum += TextToInt(NumberAtPlace(numbers, firstPlace_ + i - 1));
    }
    return prediction == Attribute::Of(sum);
}

template class PlaceAttributePredictor<OddEvenAttribute>;
template class PlaceAttributePredictor<BigSmallAttribute>;
template class SumAttributePredictor<OddEvenAttribute>;
template class SumAttributePredictor<BigSmallAttribute>;

} // namespace zorlith
