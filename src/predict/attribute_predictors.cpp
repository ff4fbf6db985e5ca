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
void AttributePredictor<Attribute>::configure(int32_t firstPlace, int32_t count,
                                              std::string_view name) {
    firstPlace_ = firstPlace;
    count_ = count;
    置名称(name);
}

template <typename Attribute>
std::string AttributePredictor<Attribute>::取下期预测(int32_t seed) const {
    return PickAttribute<Attribute>(seed);
}

template <typename Attribute>
bool AttributePredictor<Attribute>::验证预测(const DrawNumbers& numbers,
                                             std::string_view prediction) const {
    int64_t sum = 0;
    for (int32_t i = 1; i <= count_; ++i) {
        sum += TextToInt(NumberAtPlace(numbers, firstPlace_ + i - 1));
    }
    return prediction == Attribute::Of(sum);
}

template class AttributePredictor<OddEvenAttribute>;
template class AttributePredictor<BigSmallAttribute>;

} // namespace zorlith
