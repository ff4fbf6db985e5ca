#include "plan/plan_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

using testing_support::ChampionOnePredictor;
using testing_support::kHitDraw;
using testing_support::kMissDraw;
using testing_support::ManualClock;

PlanCycle Cycle(const char* first, const char* last, int32_t state, const char* prediction,
                const char* checked) {
    return PlanCycle{first, last, state, prediction, checked, ""};
}

class PlanTextTest : public testing::Test {
protected:
    ManualClock clock;
    PlanEngine engine{clock};
};

TEST_F(PlanTextTest, OneIssueCyclesShowPredictionAndOutcomeOnEachLine) {
    PlanSlot slot;
    slot.name = "冠军单双";
    slot.displayMode = 1;
    slot.cycleIssues = 1;
    slot.cycles = {Cycle("340", "340", kCycleHit, "单", "340"),
                   Cycle("341", "341", kCycleMiss, "双", "341"),
                   Cycle("342", "342", kCycleOpen, "单", "")};
    EXPECT_EQ(engine.renderSlot(slot, ""), "340期 冠军单双【单】 <340期>→中\r\n"
                                           "341期 冠军单双【双】 <341期>→无\r\n"
                                           "342期 冠军单双【单】 等开\r\n");
}

TEST_F(PlanTextTest, DisplayModeTwoShowsTheCurrentPredictionOnceBelow) {
    PlanSlot slot;
    slot.name = "X";
    slot.displayMode = 2;
    slot.cycleIssues = 3;
    slot.cycles = {Cycle("338", "340", kCycleHit, "01 02", "339"),
                   Cycle("340", "342", kCycleMiss, "03 04", "342"),
                   Cycle("343", "345", kCycleOpen, "05 06", "")};
    EXPECT_EQ(engine.renderSlot(slot, "T"), "338-340期 TX <339期>→中\r\n"
                                            "340-342期 TX 挂\r\n"
                                            "343-345期 TX 等开\r\n"
                                            "\r\n\r\n 05 06\r\n");

    slot.cycles.resize(1);
    slot.cycles[0].state = kCycleOpen;
    EXPECT_EQ(engine.renderSlot(slot, ""), "338-340期 X 等开\r\n\r\n\r\n 01 02\r\n");
}

TEST_F(PlanTextTest, LayoutFollowsTheSlotsCurrentCycleLength) {
    PlanSlot slot;
    slot.name = "X";
    slot.displayMode = 1;
    slot.cycleIssues = 2;
    slot.cycles = {Cycle("7", "7", kCycleMiss, "p", "7")};
    EXPECT_EQ(engine.renderSlot(slot, ""), "7-7期 X【p】 挂\r\n");
}

TEST_F(PlanTextTest, SlotWithoutCyclesRendersEmpty) {
    PlanSlot slot;
    slot.name = "X";
    for (int32_t mode : {1, 2}) {
        slot.displayMode = mode;
        EXPECT_EQ(engine.renderSlot(slot, "T"), "");
    }
}

TEST_F(PlanTextTest, WholeTextWithStatistics) {
    engine.addSlot(ChampionOnePredictor("冠军单双", "单"));
    engine.setCycleIssues(1, "", 0);
    engine.feedDraw("340", kHitDraw, 5, "");
    engine.feedDraw("341", kMissDraw, 5, "");
    EXPECT_EQ(PlanTextWithStatistics(engine, "冠军单双"),
              "340期 冠军单双【单】 <340期>→中\r\n"
              "341期 冠军单双【单】 <341期>→无\r\n"
              "342期 冠军单双【单】 等开\r\n"
              "\r\n\r\n"
              "当前计划统计：总计3期，中1期，挂1期，中奖率为33.33%\r\n"
              "彩票有风险，投注需谨慎！\r\n\r\n");
}

TEST_F(PlanTextTest, UnknownPlanShowsEmptyStatistics) {
    EXPECT_EQ(PlanTextWithStatistics(engine, "冠军单双"),
              "\r\n\r\n当前计划统计：总计0期，中0期，挂0期，中奖率为0%\r\n"
              "彩票有风险，投注需谨慎！\r\n\r\n");
}

struct RateCase {
    int32_t total;
    int32_t hits;
    const char* text;
};

void PrintTo(const RateCase& c, std::ostream* os) {
    *os << c.hits << " of " << c.total;
}

class HitRateTextTest : public testing::TestWithParam<RateCase> {};

TEST_P(HitRateTextTest, RoundsHalfAwayFromZeroToTwoDecimals) {
    EXPECT_EQ(HitRateText(GetParam().total, GetParam().hits), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, HitRateTextTest,
                         testing::Values(RateCase{3, 1, "33.33"}, RateCase{11, 6, "54.55"},
                                         RateCase{8, 1, "12.5"}, RateCase{16, 1, "6.25"},
                                         RateCase{32, 17, "53.13"}, RateCase{3, 2, "66.67"},
                                         RateCase{5, 3, "60"}, RateCase{4, 4, "100"},
                                         RateCase{5, 0, "0"}, RateCase{0, 0, "0"},
                                         RateCase{51, 30, "58.82"}));

TEST(ConsoleLineEndsTest, DropsCarriageReturnsOfLineEndsOnly) {
    EXPECT_EQ(ToConsoleLineEnds("a\r\nb\r\n\r\n"), "a\nb\n\n");
    EXPECT_EQ(ToConsoleLineEnds("a\rb\r"), "a\rb\r");
}

} // namespace
} // namespace zorlith
