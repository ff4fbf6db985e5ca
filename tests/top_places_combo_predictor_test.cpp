#include "predict/top_places_combo_predictor.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

struct ComboCase {
    const char* sizes;
    int32_t seed;
    const char* expected;
};

void PrintTo(const ComboCase& c, std::ostream* os) {
    *os << c.sizes << " seed " << c.seed;
}

class ComboPredictionTest : public testing::TestWithParam<ComboCase> {};

TEST_P(ComboPredictionTest, DrawsEveryGroupFromOneSeededSequence) {
    TopPlacesComboPredictor predictor;
    predictor.置参数(1, GetParam().sizes, "x");
    EXPECT_EQ(predictor.取下期预测(GetParam().seed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ComboPredictionTest,
                         testing::Values(ComboCase{"5*5*5", 1, "125810,23569,23678"},
                                         ComboCase{"5*5*5", 12345, "45689,134510,356710"},
                                         ComboCase{"2*3", 1, "28,1510"},
                                         // Group sizes are kept to 1..10.
                                         ComboCase{"0*3", 1, "2,158"},
                                         ComboCase{"12", 1, "12345678910"}));

TEST(TopPlacesComboPredictorTest, ConfigurationReadsTheGroupSizes) {
    TopPlacesComboPredictor predictor;
    predictor.置参数(1, "3*4", "");
    EXPECT_EQ(predictor.count(), 2);
    EXPECT_EQ(predictor.placeCounts(), (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(predictor.取周期期数(), 3);
    EXPECT_EQ(predictor.取显示方式(), 2);
    EXPECT_EQ(predictor.取名称(), "");
}

DrawNumbers DrawStarting(const char* first, const char* second, const char* third) {
    return {first, second, third, "02", "04", "06", "08", "09", "10", "11"};
}

struct ComboVerifyCase {
    const char* prediction;
    DrawNumbers numbers;
    bool hit;
};

void PrintTo(const ComboVerifyCase& c, std::ostream* os) {
    *os << c.prediction << " against " << c.numbers[0] << "," << c.numbers[1] << ","
        << c.numbers[2];
}

class ComboVerifyTest : public testing::TestWithParam<ComboVerifyCase> {};

TEST_P(ComboVerifyTest, EveryPlaceMustShowACarOfItsGroup) {
    TopPlacesComboPredictor predictor;
    predictor.置参数(1, "5*5*5", "x");
    EXPECT_EQ(predictor.验证预测(GetParam().numbers, GetParam().prediction), GetParam().hit);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComboVerifyTest,
    testing::Values(
        ComboVerifyCase{"45689,134510,356710", DrawStarting("05", "03", "07"), true},
        ComboVerifyCase{"45689,134510,356710", DrawStarting("01", "03", "07"), false},
        // A drawn 1 is not in a group that holds only 10 ("356710" is {3, 5, 6, 7, 10}).
        ComboVerifyCase{"45689,134510,356710", DrawStarting("05", "03", "01"), false},
        ComboVerifyCase{"45689,134510,356710", DrawStarting("05", "03", "10"), true},
        ComboVerifyCase{"45689,134510,356710", DrawStarting("05", "10", "03"), true},
        ComboVerifyCase{"45689,134510", DrawStarting("05", "03", "07"), false},
        ComboVerifyCase{"", DrawStarting("05", "03", "07"), false}));

} // namespace
} // namespace zorlith
