#include "predict/attribute_predictors.h"
#include "predict/predictor.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

const DrawNumbers kDraw = {"05", "03", "07", "01", "02", "04", "06", "08", "09", "10"};

struct PlaceCase {
    int32_t place;
    const char* expected;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << "place " << c.place;
}

class NumberAtPlaceTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(NumberAtPlaceTest, SelectsByOneBasedOrBackwardPlace) {
    EXPECT_EQ(NumberAtPlace(kDraw, GetParam().place), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberAtPlaceTest,
                         testing::Values(PlaceCase{1, "05"}, PlaceCase{3, "07"},
                                         PlaceCase{10, "10"}, PlaceCase{0, ""}, PlaceCase{-1, "10"},
                                         PlaceCase{-10, "05"}, PlaceCase{11, ""},
                                         PlaceCase{-11, ""}, PlaceCase{2147483647, ""},
                                         PlaceCase{-2147483647 - 1, ""}));

TEST(NumberAtPlaceTest, EmptyElementGivesEmptyText) {
    EXPECT_EQ(NumberAtPlace({"01", "", "03"}, 2), "");
}

TEST(TwoDigitTextTest, PadsBelowTen) {
    EXPECT_EQ(TwoDigitText(3), "03");
    EXPECT_EQ(TwoDigitText(0), "00");
    EXPECT_EQ(TwoDigitText(10), "10");
    EXPECT_EQ(TwoDigitText(123), "123");
}

class PlainPredictorTest : public testing::Test {
protected:
    void SetUp() override {
        SetPredictorMessageSink([this](const std::string& text) { messages.push_back(text); });
    }
    void TearDown() override { SetPredictorMessageSink({}); }
    std::vector<std::string> messages;
};

TEST_F(PlainPredictorTest, StartsWithBaseDefaults) {
    const Predictor plain;
    EXPECT_EQ(plain.取周期期数(), 3);
    EXPECT_EQ(plain.取显示方式(), 1);
    EXPECT_EQ(plain.取名称(), "");
}

TEST_F(PlainPredictorTest, PredictingIsReportedAsAProgrammingError) {
    const Predictor plain;
    EXPECT_EQ(plain.取下期预测(1), "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "错误！接口类函数 取下期预测（） 被直接调用");
}

TEST_F(PlainPredictorTest, VerifyingIsReportedAsAProgrammingError) {
    const Predictor plain;
    EXPECT_FALSE(plain.验证预测(kDraw, "单"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "错误！接口类函数 验证预测 被直接调用");
}

TEST_F(PlainPredictorTest, CloneOfAPlainPredictorStaysPlain) {
    Predictor plain;
    plain.置名称("模板");
    const auto clone = plain.clone();
    EXPECT_EQ(clone->取名称(), "模板");
    EXPECT_EQ(clone->取下期预测(1), "");
    EXPECT_EQ(messages.size(), 1u);
}

TEST(PredictorCloneTest, CloneKeepsItsOwnConfigurationAndPredictsAlike) {
    PlaceOddEvenPredictor prototype;
    prototype.置参数(1, "冠军单双");
    const auto first = prototype.clone();
    const auto second = prototype.clone();
    prototype.置参数(5, "五号单双");

    EXPECT_EQ(first->取名称(), "冠军单双");
    for (int32_t seed : {1, 2, 99, -5, 2147483647}) {
        EXPECT_EQ(first->取下期预测(seed), second->取下期预测(seed));
    }
    // Place 1 (05) is still the clone's place although the prototype moved to place 5 (02).
    EXPECT_TRUE(first->验证预测(kDraw, "单"));
    EXPECT_FALSE(prototype.验证预测(kDraw, "单"));
}

} // namespace
} // namespace zorlith
