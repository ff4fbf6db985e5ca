#include "plan/plan_engine.h"
#include "startup/plan_setup.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

using testing_support::ChampionOnePredictor;
using testing_support::kHitDraw;
using testing_support::ManualClock;

class PlanEngineTest : public testing::Test {
protected:
    ManualClock clock;
    PlanEngine engine{clock};
};

TEST_F(PlanEngineTest, FreshEngineDefaults) {
    EXPECT_EQ(engine.hitPercent(), 80);
    EXPECT_EQ(engine.wipeOnLosingStreak(), 1);
    EXPECT_EQ(engine.historyLimit(), 0);
    EXPECT_EQ(engine.getSlotCount(), 0);
    EXPECT_EQ(engine.getPlanTitle(), "");
    EXPECT_EQ(engine.planSeed(), 0);
}

TEST_F(PlanEngineTest, StartUpConfiguration) {
    ASSERT_TRUE(ConfigurePlan(engine, "冠军5胆3期", PlanSettings{}));
    EXPECT_EQ(engine.hitPercent(), 60);
    EXPECT_EQ(engine.wipeOnLosingStreak(), 0);
    EXPECT_EQ(engine.historyLimit(), 0);
    ASSERT_EQ(engine.getSlotCount(), 1);
    EXPECT_EQ(engine.slots()[0].cycleIssues, 1);
    EXPECT_EQ(engine.slots()[0].name, "冠军5胆3期");
}

TEST_F(PlanEngineTest, ResetClearsEverything) {
    engine.setPlanTitle("甲");
    engine.addSlot(ChampionOnePredictor());
    engine.setHistoryLimit(5);
    engine.reset();
    EXPECT_EQ(engine.getSlotCount(), 0);
    EXPECT_EQ(engine.getPlanTitle(), "");
    EXPECT_EQ(engine.planSeed(), 0);
    EXPECT_EQ(engine.hitPercent(), 0);
    EXPECT_EQ(engine.wipeOnLosingStreak(), 1);
    EXPECT_EQ(engine.historyLimit(), 0);
}

TEST_F(PlanEngineTest, AddSlotTakesNameModeCycleAndNameSeedFromThePredictor) {
    ChampionOnePredictor predictor("冠军单双");
    predictor.置显示方式(2);
    predictor.置周期期数(4);
    engine.addSlot(predictor);
    predictor.置名称("changed");
    const PlanSlot& slot = engine.slots()[0];
    EXPECT_EQ(slot.name, "冠军单双");
    EXPECT_EQ(slot.displayMode, 2);
    EXPECT_EQ(slot.cycleIssues, 4);
    EXPECT_EQ(slot.nameSeed, 0x793a6d);
    EXPECT_TRUE(slot.cycles.empty());
}

TEST_F(PlanEngineTest, SetCycleIssuesByNameOrForAll) {
    engine.addSlot(ChampionOnePredictor("a"));
    engine.addSlot(ChampionOnePredictor("b"));
    engine.setCycleIssues(7, "nobody", 1);
    EXPECT_EQ(engine.slots()[0].cycleIssues, 3);
    EXPECT_EQ(engine.slots()[1].cycleIssues, 3);
    engine.setCycleIssues(7, "b", 1);
    EXPECT_EQ(engine.slots()[0].cycleIssues, 3);
    EXPECT_EQ(engine.slots()[1].cycleIssues, 7);
    engine.setCycleIssues(2, "nobody", 0);
    EXPECT_EQ(engine.slots()[0].cycleIssues, 2);
    EXPECT_EQ(engine.slots()[1].cycleIssues, 2);
}

TEST_F(PlanEngineTest, DuplicateNamesReachOnlyTheFirstSlot) {
    engine.addSlot(ChampionOnePredictor("same", "first"));
    engine.addSlot(ChampionOnePredictor("same", "second"));
    engine.feedDraw("100", kHitDraw, 5, "");
    EXPECT_EQ(engine.findSlot("same"), 1);
    EXPECT_EQ(engine.currentPrediction("same"), "first");
    EXPECT_EQ(engine.currentPredictionAt(2), "second");
    engine.setCycleIssues(9, "same", 1);
    EXPECT_EQ(engine.slots()[1].cycleIssues, 3);
    EXPECT_EQ(engine.removeSlot("same"), 1);
    EXPECT_EQ(engine.currentPrediction("same"), "second");
    EXPECT_EQ(engine.removeSlot("same"), 1);
    EXPECT_EQ(engine.removeSlot("same"), 0);
}

TEST_F(PlanEngineTest, UnknownNamesAndIndexesAreHarmless) {
    engine.addSlot(ChampionOnePredictor("a"));
    EXPECT_EQ(engine.renderPlan("b"), "");
    EXPECT_EQ(engine.currentPrediction("b"), "");
    EXPECT_EQ(engine.currentPredictionAt(1), ""); // no cycle yet
    for (int32_t index : {-1, 0, 2}) {
        EXPECT_EQ(engine.slotNameAt(index), "");
        EXPECT_EQ(engine.renderSlotAt(index), "");
        EXPECT_EQ(engine.currentPredictionAt(index), "");
    }
    PlanSlot untouched;
    untouched.name = "keep";
    engine.copySlot("b", untouched);
    engine.copySlotAt(5, untouched);
    EXPECT_EQ(untouched.name, "keep");
    EXPECT_EQ(untouched.predictor, nullptr);
}

TEST_F(PlanEngineTest, CopySlotIsDeep) {
    engine.addSlot(ChampionOnePredictor("a"));
    engine.feedDraw("100", kHitDraw, 5, "");
    PlanSlot copy;
    engine.copySlot("a", copy);
    ASSERT_NE(copy.predictor, nullptr);
    EXPECT_NE(copy.predictor.get(), engine.slots()[0].predictor.get());
    EXPECT_EQ(copy.cycles, engine.slots()[0].cycles);
    engine.clearCycles();
    EXPECT_EQ(copy.cycleCount(), 2);
}

TEST_F(PlanEngineTest, ClearCyclesKeepsSlotsAndSettings) {
    ConfigurePlan(engine, "冠军单双", PlanSettings{2, 4, 70, 1});
    engine.feedDraw("100", kHitDraw, 5, "");
    engine.clearCycles();
    ASSERT_EQ(engine.getSlotCount(), 1);
    EXPECT_EQ(engine.slotNameAt(1), "冠军单双");
    EXPECT_TRUE(engine.slots()[0].cycles.empty());
    EXPECT_EQ(engine.slots()[0].cycleIssues, 2);
    EXPECT_EQ(engine.historyLimit(), 4);
    EXPECT_EQ(engine.hitPercent(), 70);
    EXPECT_EQ(engine.wipeOnLosingStreak(), 1);
}

TEST_F(PlanEngineTest, PlanTitlePrefixesLinesAndSeedsPredictions) {
    engine.setPlanTitle("丙");
    EXPECT_EQ(engine.planSeed(), 1212568733);
    engine.addSlot(ChampionOnePredictor("a"));
    engine.setCycleIssues(1, "", 0);
    engine.feedDraw("100", kHitDraw, 5, "");
    EXPECT_EQ(engine.renderSlotAt(1), "100期 丙a【P】 <100期>→中\r\n101期 丙a【P】 等开\r\n");
}

struct NumbersCase {
    const char* text;
    bool ok;
    size_t elements;
};

void PrintTo(const NumbersCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ParseNumbersTest : public testing::TestWithParam<NumbersCase> {};

TEST_P(ParseNumbersTest, OnlyTheNumberOfFieldsCounts) {
    DrawNumbers out;
    EXPECT_EQ(PlanEngine::parseNumbers(GetParam().text, out), GetParam().ok) << GetParam().text;
    EXPECT_EQ(out.size(), GetParam().elements);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseNumbersTest,
                         testing::Values(NumbersCase{"03,10,01,02,04,05,06,07,08,09", true, 10},
                                         NumbersCase{"03 10 01 02 04 05 06 07 08 09", false, 1},
                                         NumbersCase{"03,10,01,02,04,05,06,07,08,09,", true, 10},
                                         NumbersCase{"03,,01,02,04,05,06,07,08,09", true, 10},
                                         NumbersCase{"03,10,01,02,04,05,06,07,08", false, 9},
                                         NumbersCase{"03,10,01,02,04,05,06,07,08,09,11", false, 11},
                                         NumbersCase{"", false, 0}));

TEST(IssueTextTest, PlainDecimalSum) {
    EXPECT_EQ(PlanEngine::issueText(342, 1), "343");
    EXPECT_EQ(PlanEngine::issueText(99, 1), "100");
    EXPECT_EQ(PlanEngine::issueText(100, -1), "99");
    EXPECT_EQ(PlanEngine::issueText(2147483647, 1), "2147483648");
}

} // namespace
} // namespace zorlith
