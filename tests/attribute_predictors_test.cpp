#include "predict/attribute_predictors.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

DrawNumbers DrawStarting(std::initializer_list<const char*> first) {
    DrawNumbers numbers(first.begin(), first.end());
    const char* rest[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"};
    for (size_t i = numbers.size(); i < 10; ++i) {
        numbers.emplace_back(rest[i]);
    }
    return numbers;
}

TEST(AttributePredictorsTest, SeedOnePredictsEvenAndBig) {
    PlaceOddEvenPredictor oddEven;
    PlaceBigSmallPredictor bigSmall;
    SumOddEvenPredictor sumOddEven;
    SumBigSmallPredictor sumBigSmall;
    EXPECT_EQ(oddEven.取下期预测(1), "双");
    EXPECT_EQ(bigSmall.取下期预测(1), "大");
    EXPECT_EQ(sumOddEven.取下期预测(1), "双");
    EXPECT_EQ(sumBigSmall.取下期预测(1), "大");
}

TEST(AttributePredictorsTest, PredictionFollowsTheParityOfTheFirstRawDraw) {
    PlaceOddEvenPredictor oddEven;
    // Seed 0: state 2531011, raw draw 38 (even) gives the first text.
    EXPECT_EQ(oddEven.取下期预测(0), "单");
}

TEST(AttributePredictorsTest, ConfigurationKeepsSharedDefaults) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "");
    EXPECT_EQ(predictor.取名称(), "");
    EXPECT_EQ(predictor.取周期期数(), 3);
    EXPECT_EQ(predictor.取显示方式(), 1);
}

struct VerifyCase {
    const char* kind;
    std::vector<const char*> first;
    const char* prediction;
    bool hit;
};

void PrintTo(const VerifyCase& c, std::ostream* os) {
    *os << c.kind;
    for (const char* n : c.first) {
        *os << " " << n;
    }
    *os << " " << c.prediction;
}

class AttributeVerifyTest : public testing::TestWithParam<VerifyCase> {};

TEST_P(AttributeVerifyTest, ComparesWithTheDrawnAttribute) {
    const auto& c = GetParam();
    PlaceOddEvenPredictor placeOddEven;
    placeOddEven.置参数(1, "x");
    PlaceBigSmallPredictor placeBigSmall;
    placeBigSmall.置参数(1, "x");
    SumOddEvenPredictor sumOddEven;
    sumOddEven.置参数(1, 2, "x");
    SumBigSmallPredictor sumBigSmall;
    sumBigSmall.置参数(1, 2, "x");
    const std::string kind = c.kind;
    const Predictor& predictor = kind == "place-odd-even"    ? static_cast<Predictor&>(placeOddEven)
                                 : kind == "place-big-small" ? placeBigSmall
                                 : kind == "sum-odd-even"    ? static_cast<Predictor&>(sumOddEven)
                                                             : sumBigSmall;
    DrawNumbers numbers(c.first.begin(), c.first.end());
    const char* rest[] = {"04", "06", "08", "09", "10", "01", "07", "02", "03"};
    for (size_t i = 0; numbers.size() < 10; ++i) {
        numbers.emplace_back(rest[i]);
    }
    EXPECT_EQ(predictor.验证预测(numbers, c.prediction), c.hit) << kind << " " << c.prediction;
}

INSTANTIATE_TEST_SUITE_P(Cases, AttributeVerifyTest,
                         testing::Values(VerifyCase{"place-odd-even", {"05"}, "单", true},
                                         VerifyCase{"place-odd-even", {"05"}, "双", false},
                                         VerifyCase{"place-odd-even", {"10"}, "双", true},
                                         VerifyCase{"place-odd-even", {"05"}, "单 ", false},
                                         VerifyCase{"place-odd-even", {"05"}, "", false},
                                         VerifyCase{"place-big-small", {"05"}, "小", true},
                                         VerifyCase{"place-big-small", {"06"}, "大", true},
                                         VerifyCase{"place-big-small", {"06"}, "小", false},
                                         VerifyCase{"place-big-small", {"10"}, "大", true},
                                         VerifyCase{"sum-big-small", {"02", "03"}, "小", true},
                                         VerifyCase{"sum-odd-even", {"02", "03"}, "单", true},
                                         VerifyCase{"sum-big-small", {"01", "05"}, "大", true},
                                         VerifyCase{"sum-big-small", {"01", "05"}, "小", false},
                                         VerifyCase{"sum-odd-even", {"10", "09"}, "单", true},
                                         VerifyCase{"sum-odd-even", {"10", "08"}, "双", true}));

TEST(AttributePredictorsTest, UsesTheConfiguredPlace) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(3, "季军单双");
    EXPECT_TRUE(predictor.验证预测(DrawStarting({"02", "04", "07"}), "单"));
    predictor.置参数(-1, "");
    EXPECT_TRUE(predictor.验证预测(DrawStarting({"02", "04", "07"}), "双")); // place 10 holds 10
}

} // namespace
} // namespace zorlith
