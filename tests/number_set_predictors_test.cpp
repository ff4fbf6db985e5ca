#include "predict/number_set_predictors.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

struct SetCase {
    int32_t seed;
    int32_t count;
    const char* expected;
};

void PrintTo(const SetCase& c, std::ostream* os) {
    *os << "seed " << c.seed << " count " << c.count;
}

class NumberSetPredictionTest : public testing::TestWithParam<SetCase> {};

TEST_P(NumberSetPredictionTest, DrawsDistinctSortedNumbers) {
    PlaceNumberSetPredictor places;
    places.置参数(1, GetParam().count, "x", 1);
    CarPositionPredictor cars;
    cars.置参数(7, GetParam().count, "y", 1);
    EXPECT_EQ(places.取下期预测(GetParam().seed), GetParam().expected);
    EXPECT_EQ(cars.取下期预测(GetParam().seed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberSetPredictionTest,
                         testing::Values(SetCase{1, 3, "02 05 08"}, SetCase{1, 5, "01 02 05 08 10"},
                                         SetCase{2, 3, "06 07 09"}, SetCase{12345, 3, "05 06 09"},
                                         SetCase{1, 10, "01 02 03 04 05 06 07 08 09 10"},
                                         // Sizes are kept to 1..10 when configured.
                                         SetCase{1, 11, "01 02 03 04 05 06 07 08 09 10"},
                                         SetCase{1, 0, "02"}, SetCase{1, -4, "02"}));

TEST(NumberSetPredictorsTest, PlaceSetBuildsItsNameAndDefaultsTheCycle) {
    PlaceNumberSetPredictor predictor;
    predictor.置参数(2, 4, "", 0);
    EXPECT_EQ(predictor.取名称(), "亚军4胆3期");
    EXPECT_EQ(predictor.取周期期数(), 3);
    EXPECT_EQ(predictor.取显示方式(), 2);

    predictor.置参数(1, 5, "", 3);
    EXPECT_EQ(predictor.取名称(), "冠军5胆3期");
    predictor.置参数(4, 2, "", 7);
    EXPECT_EQ(predictor.取名称(), "2胆7期");
    EXPECT_EQ(predictor.取周期期数(), 7);
    predictor.置参数(1, 15, "", 1);
    EXPECT_EQ(predictor.取名称(), "冠军10胆1期");
    EXPECT_EQ(predictor.count(), 10);
}

TEST(NumberSetPredictorsTest, GivenNameIsKept) {
    CarPositionPredictor predictor;
    predictor.置参数(5, 5, "", 1);
    EXPECT_EQ(predictor.取名称(), "5号车位置");
    predictor.置参数(5, 5, "我的计划", 2);
    EXPECT_EQ(predictor.取名称(), "我的计划");
    EXPECT_EQ(predictor.取周期期数(), 2);
    EXPECT_EQ(predictor.取显示方式(), 2);
}

const DrawNumbers kChampionTen = {"10", "01", "02", "03", "04", "05", "06", "07", "08", "09"};
const DrawNumbers kChampionThree = {"03", "01", "02", "10", "04", "05", "06", "07", "08", "09"};

TEST(NumberSetPredictorsTest, PlaceSetHitsWhenThePlaceShowsOneOfItsNumbers) {
    PlaceNumberSetPredictor predictor;
    predictor.置参数(1, 5, "", 1);
    EXPECT_TRUE(predictor.验证预测(kChampionTen, "01 02 05 08 10"));
    EXPECT_FALSE(predictor.验证预测(kChampionThree, "01 02 05 08 10"));
}

TEST(NumberSetPredictorsTest, CarPositionHitsWhenTheCarFinishedInAPredictedPlace) {
    CarPositionPredictor predictor;
    predictor.置参数(7, 5, "", 1);
    const DrawNumbers fifth = {"01", "02", "03", "04", "07", "05", "06", "08", "09", "10"};
    const DrawNumbers third = {"01", "02", "07", "04", "03", "05", "06", "08", "09", "10"};
    EXPECT_TRUE(predictor.验证预测(fifth, "01 02 05 08 10"));
    EXPECT_FALSE(predictor.验证预测(third, "01 02 05 08 10"));
    // A short or foreign prediction is read as far as it goes.
    EXPECT_FALSE(predictor.验证预测(fifth, "01"));
    EXPECT_FALSE(predictor.验证预测(fifth, "xx yy zz"));
}

TEST(NumberSetPredictorsTest, TopSingleNumberPredictsOneCar) {
    TopSingleNumberPredictor predictor;
    predictor.置参数(1, 5, "前5独胆");
    EXPECT_EQ(predictor.取下期预测(1), "02");
    EXPECT_EQ(predictor.取显示方式(), 1);
    EXPECT_EQ(predictor.取周期期数(), 3);
}

TEST(NumberSetPredictorsTest, TopSingleNumberHitsWithinTheFirstPlaces) {
    TopSingleNumberPredictor predictor;
    predictor.置参数(1, 5, "前5独胆");
    const DrawNumbers fifth = {"01", "03", "04", "05", "02", "06", "07", "08", "09", "10"};
    const DrawNumbers sixth = {"01", "03", "04", "05", "06", "02", "07", "08", "09", "10"};
    EXPECT_TRUE(predictor.验证预测(fifth, "02"));
    EXPECT_FALSE(predictor.验证预测(sixth, "02"));
    EXPECT_FALSE(predictor.验证预测(fifth, "no number"));
}

} // namespace
} // namespace zorlith
