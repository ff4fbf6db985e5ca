#include "draws/draw_history.h"
#include "draws/number_text.h"
#include "plan/plan_engine.h"
#include "predict/attribute_predictors.h"
#include "predict/number_set_predictors.h"
#include "predict/random_source.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace zorlith {
namespace {

using testing_support::ChampionOnePredictor;
using testing_support::kHitDraw;
using testing_support::kMissDraw;
using testing_support::ManualClock;

class PlanCyclesTest : public testing::Test {
protected:
    void SetUp() override { ResetRandom(); }

    const PlanSlot& slot(size_t index = 0) const { return engine.slots()[index]; }
    std::vector<int32_t> states() const {
        std::vector<int32_t> result;
        for (const auto& cycle : slot().cycles) {
            result.push_back(cycle.state);
        }
        return result;
    }

    ManualClock clock;
    PlanEngine engine{clock};
};

TEST_F(PlanCyclesTest, FirstDrawOpensACycleAtItsIssueAndChecksItAtOnce) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    ASSERT_TRUE(engine.feedDraw("341", kMissDraw, 5, ""));
    ASSERT_EQ(slot().cycleCount(), 2);
    const PlanCycle& first = slot().cycles[0];
    EXPECT_EQ(first.firstIssue, "341");
    EXPECT_EQ(first.lastIssue, "341");
    EXPECT_EQ(first.state, kCycleMiss);
    EXPECT_EQ(first.checkedIssue, "341");
    EXPECT_EQ(first.checkedNumbers, kMissDraw);
    const PlanCycle& open = slot().cycles[1];
    EXPECT_EQ(open.firstIssue, "342");
    EXPECT_EQ(open.state, kCycleOpen);
    EXPECT_EQ(open.checkedIssue, "");
}

TEST_F(PlanCyclesTest, OneIssueCyclesCloseOnEveryDraw) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.setWipeOnLosingStreak(0);
    const char* draws[] = {kHitDraw, kMissDraw, kMissDraw, kHitDraw};
    int32_t issue = 500;
    for (const char* draw : draws) {
        engine.feedDraw(std::to_string(issue++), draw, 5, "");
    }
    EXPECT_EQ(states(),
              (std::vector<int32_t>{kCycleHit, kCycleMiss, kCycleMiss, kCycleHit, kCycleOpen}));
}

TEST_F(PlanCyclesTest, LongerCycleStaysOpenUntilItsLastIssueOrAHit) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(3, "", 0);
    engine.feedDraw("340", kHitDraw, 5, ""); // opens 340-342, hits, opens 341-343
    ASSERT_EQ(slot().cycles.back().firstIssue, "341");
    ASSERT_EQ(slot().cycles.back().lastIssue, "343");

    engine.feedDraw("341", kMissDraw, 5, "");
    ASSERT_EQ(slot().cycleCount(), 2);
    EXPECT_EQ(slot().cycles.back().state, kCycleOpen);
    EXPECT_EQ(slot().cycles.back().checkedIssue, "341");

    engine.feedDraw("342", kHitDraw, 5, "");
    ASSERT_EQ(slot().cycleCount(), 3);
    EXPECT_EQ(slot().cycles[1].state, kCycleHit);
    EXPECT_EQ(slot().cycles[1].checkedIssue, "342");
    EXPECT_EQ(slot().cycles[2].firstIssue, "343");
    EXPECT_EQ(slot().cycles[2].lastIssue, "345");

    engine.feedDraw("343", kMissDraw, 5, "");
    engine.feedDraw("344", kMissDraw, 5, "");
    engine.feedDraw("345", kMissDraw, 5, "");
    ASSERT_EQ(slot().cycleCount(), 4);
    EXPECT_EQ(slot().cycles[2].state, kCycleMiss);
    EXPECT_EQ(slot().cycles[2].checkedIssue, "345");
}

TEST_F(PlanCyclesTest, MissPastTheLastIssueKeepsTheCycleOpenUntilAHit) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.feedDraw("100", kHitDraw, 5, ""); // open cycle covers 101
    engine.feedDraw("105", kMissDraw, 5, "");
    engine.feedDraw("106", kMissDraw, 5, "");
    EXPECT_EQ(states(), (std::vector<int32_t>{kCycleHit, kCycleOpen}));
    EXPECT_EQ(slot().cycles.back().checkedIssue, "106");
    engine.feedDraw("107", kHitDraw, 5, "");
    EXPECT_EQ(states(), (std::vector<int32_t>{kCycleHit, kCycleHit, kCycleOpen}));
    EXPECT_EQ(slot().cycles.back().firstIssue, "108");
}

TEST_F(PlanCyclesTest, SameDrawTwiceIsCheckedTwice) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.feedDraw("100", kHitDraw, 5, "");
    engine.feedDraw("100", kHitDraw, 5, "");
    EXPECT_EQ(states(), (std::vector<int32_t>{kCycleHit, kCycleHit, kCycleOpen}));
    EXPECT_EQ(slot().cycles[1].firstIssue, "101");
    EXPECT_EQ(slot().cycles[1].checkedIssue, "100");
}

TEST_F(PlanCyclesTest, BadDrawsChangeNothing) {
    engine.addSlot(ChampionOnePredictor());
    engine.feedDraw("100", kHitDraw, 5, "");
    const auto before = slot().cycles;
    EXPECT_FALSE(engine.feedDraw("101", "01,02,03", 5, ""));
    EXPECT_FALSE(engine.feedDraw("101", kHitDraw, 5, "01 02"));
    EXPECT_FALSE(engine.feedDraw("101", "", 5, ""));
    EXPECT_EQ(slot().cycles, before);
    // A zero seed is accepted and skipped.
    EXPECT_TRUE(engine.feedDraw("101", kHitDraw, 0, ""));
    EXPECT_EQ(slot().cycles, before);
}

TEST_F(PlanCyclesTest, EngineWithoutSlotsAcceptsEveryDraw) {
    EXPECT_TRUE(engine.feedDraw("1", kHitDraw, 5, kMissDraw));
    EXPECT_EQ(engine.getSlotCount(), 0);
}

TEST_F(PlanCyclesTest, WipeRuleDropsTheSlotsCyclesAtAClosingMiss) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.setWipeOnLosingStreak(1);
    engine.feedDraw("1", kHitDraw, 5, "");
    engine.feedDraw("2", kMissDraw, 5, "");
    engine.feedDraw("3", kHitDraw, 5, "");
    ASSERT_EQ(states(), (std::vector<int32_t>{kCycleHit, kCycleMiss, kCycleHit, kCycleOpen}));
    engine.feedDraw("4", kMissDraw, 5, ""); // last three: miss, hit, miss
    ASSERT_EQ(slot().cycleCount(), 1);
    EXPECT_EQ(slot().cycles[0].state, kCycleOpen);
    EXPECT_EQ(slot().cycles[0].firstIssue, "5");
}

TEST_F(PlanCyclesTest, ClosingHitNeverWipesAndWipeOffKeepsAll) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.setWipeOnLosingStreak(1);
    engine.feedDraw("1", kMissDraw, 5, "");
    ASSERT_EQ(slot().cycleCount(), 2); // one miss alone does not wipe
    engine.feedDraw("2", kHitDraw, 5, "");
    EXPECT_EQ(slot().cycleCount(), 3);

    engine.setWipeOnLosingStreak(0);
    engine.feedDraw("3", kMissDraw, 5, "");
    engine.feedDraw("4", kMissDraw, 5, "");
    EXPECT_EQ(slot().cycleCount(), 5);
}

TEST_F(PlanCyclesTest, HistoryLimitDropsTheOldestCycles) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.setHistoryLimit(3);
    for (int32_t issue = 10; issue < 20; ++issue) {
        engine.feedDraw(std::to_string(issue), issue % 2 ? kHitDraw : kMissDraw, 5, "");
        EXPECT_LE(slot().cycleCount(), 3);
    }
    EXPECT_EQ(slot().cycles.front().firstIssue, "18");
    EXPECT_EQ(slot().cycles.back().firstIssue, "20");
}

TEST_F(PlanCyclesTest, CountRecentLooksBackOverTheLatestCycles) {
    engine.addSlot(ChampionOnePredictor());
    engine.setCycleIssues(1, "", 0);
    engine.setWipeOnLosingStreak(0);
    int32_t issue = 1;
    for (const char* draw : {kHitDraw, kMissDraw, kHitDraw, kMissDraw}) {
        engine.feedDraw(std::to_string(issue++), draw, 5, "");
    }
    // Cycles: hit, miss, hit, miss, open.
    const PlanSlot& s = slot();
    EXPECT_FALSE(engine.countRecent(s, kCycleMiss, 3, 2, 0)); // open, miss, hit
    EXPECT_TRUE(engine.countRecent(s, kCycleMiss, 4, 2, 0));
    EXPECT_FALSE(engine.countRecent(s, kCycleMiss, 4, 2, 1)); // the open cycle breaks the run
    EXPECT_TRUE(engine.countRecent(s, kCycleOpen, 1, 1, 1));
    EXPECT_FALSE(engine.countRecent(s, kCycleHit, 10, 6, 0)); // fewer cycles than needed
}

TEST_F(PlanCyclesTest, LiveCycleTakesThePredictorsFirstPrediction) {
    PlaceNumberSetPredictor predictor;
    predictor.置参数(1, 5, "冠军5胆1期", 1);
    engine.addSlot(predictor);
    clock.setUptime(777);
    engine.feedDraw("709881", "08,07,01,02,04,03,06,09,10,05", 777, "");
    const int32_t seed = 709881 + 777 + slot().nameSeed;
    EXPECT_EQ(slot().cycles.back().prediction, predictor.取下期预测(seed));
    EXPECT_EQ(slot().cycles.front().prediction, predictor.取下期预测(seed));
    EXPECT_EQ(clock.uptimeReads(), 0); // live cycles read no uptime of their own
}

TEST_F(PlanCyclesTest, ReplayedCyclePredictionComesFromTheSearch) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "冠军单双");
    engine.addSlot(predictor);
    engine.setCycleIssues(1, "", 0);
    engine.setHitPercent(100);
    clock.setUptime(1000);
    // The first cycle is searched against the next draw (champion 08, even), wanting a hit.
    engine.feedDraw("100", "03,01,02,04,05,06,07,08,09,10", 42, "08,01,02,03,04,05,06,07,09,10");
    ASSERT_EQ(slot().cycleCount(), 2);
    // The same search once more: its seed is issue + draw seed, plus the uptime at each try.
    int32_t seed = 100 + 42;
    std::string expected;
    for (int32_t k = 1;; ++k) {
        seed += 1000;
        expected = predictor.取下期预测(seed + k);
        if (expected == "双") {
            break;
        }
    }
    EXPECT_EQ(slot().cycles[0].prediction, expected);
    EXPECT_EQ(slot().cycles[0].state, kCycleMiss); // checked against its own draw: 03 is odd
}

// Outcomes of steered cycles: index 0 is the first closed cycle, which is not steered.
std::vector<int32_t> ReplayRealDraws(PlanEngine& engine, int32_t hitPercent, size_t draws) {
    std::ifstream file(ZORLITH_DATA_DIR "/pk10-draws.txt");
    std::vector<std::pair<std::string, std::string>> rows;
    std::string line;
    while (rows.size() < draws + 1 && std::getline(file, line)) {
        std::istringstream fields(line);
        std::string issue, number, numbers;
        fields >> issue;
        while (fields >> number) {
            numbers += (numbers.empty() ? "" : ",") + number;
        }
        rows.emplace_back(issue, numbers);
    }
    engine.setCycleIssues(1, "", 0);
    engine.setHitPercent(hitPercent);
    engine.setWipeOnLosingStreak(0);
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        engine.feedDraw(rows[i].first, rows[i].second, 12345 + static_cast<int32_t>(i),
                        rows[i + 1].second);
    }
    std::vector<int32_t> outcomes;
    for (const auto& cycle : engine.slots()[0].cycles) {
        if (cycle.state != kCycleOpen) {
            outcomes.push_back(cycle.state);
        }
    }
    return outcomes;
}

TEST_F(PlanCyclesTest, FullHitPercentHitsUntilFiveHitsInARow) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "冠军单双");
    engine.addSlot(predictor);
    const auto outcomes = ReplayRealDraws(engine, 100, 200);
    ASSERT_EQ(outcomes.size(), 200u);
    int misses = 0;
    for (size_t i = 1; i < outcomes.size(); ++i) {
        if (outcomes[i] == kCycleMiss) {
            ++misses;
            // Rule B: a steered miss at 100 % only follows five hits in a row.
            ASSERT_GE(i, 5u);
            for (size_t back = 1; back <= 5; ++back) {
                EXPECT_EQ(outcomes[i - back], kCycleHit) << "cycle " << i;
            }
        }
    }
    EXPECT_GT(misses, 20); // one in six cycles
}

TEST_F(PlanCyclesTest, ZeroHitPercentMissesUntilTwoMissesInARow) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "冠军单双");
    engine.addSlot(predictor);
    const auto outcomes = ReplayRealDraws(engine, 0, 200);
    int hits = 0;
    int unforced = 0;
    for (size_t i = 2; i < outcomes.size(); ++i) {
        if (outcomes[i] == kCycleHit) {
            ++hits;
            // Rule A forces a hit after two misses; otherwise only a target of 0 hits.
            if (outcomes[i - 1] != kCycleMiss || outcomes[i - 2] != kCycleMiss) {
                ++unforced;
            }
        } else {
            // Never three misses in a row.
            EXPECT_FALSE(outcomes[i - 1] == kCycleMiss && outcomes[i - 2] == kCycleMiss)
                << "cycle " << i;
        }
    }
    EXPECT_GT(hits, 50);
    EXPECT_LE(unforced, 8); // about one in 101 steered cycles
}

TEST_F(PlanCyclesTest, SteeredReplayFollowsTheHitPercent) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "冠军单双");
    engine.addSlot(predictor);
    const auto outcomes = ReplayRealDraws(engine, 60, 1000);
    const auto hits = std::count(outcomes.begin(), outcomes.end(), kCycleHit);
    EXPECT_GT(hits, 550);
    EXPECT_LT(hits, 750);
}

TEST_F(PlanCyclesTest, ReplaySearchIsBoundedForAPlanThatAlwaysHits) {
    PlaceNumberSetPredictor predictor;
    predictor.置参数(1, 10, "冠军10胆1期", 1); // every number: a miss can never be found
    engine.addSlot(predictor);
    engine.setCycleIssues(1, "", 0);
    engine.setHitPercent(-1000); // every target is a miss
    engine.feedDraw("100", kHitDraw, 7, kMissDraw);
    // Two searches: the first cycle, and the next one after its hit.
    EXPECT_EQ(clock.uptimeReads(), 2 * PlanEngine::kMaxReplayTries);
    ASSERT_EQ(slot().cycleCount(), 2);
    // The cycle keeps the prediction of the last try.
    const int32_t lastSeed = 100 + 7 + PlanEngine::kMaxReplayTries * 1000;
    EXPECT_EQ(slot().cycles[1].prediction,
              predictor.取下期预测(lastSeed + PlanEngine::kMaxReplayTries));
    EXPECT_EQ(slot().cycles[1].prediction, "01 02 03 04 05 06 07 08 09 10");
}

TEST_F(PlanCyclesTest, SeedArithmeticWrapsAt32Bits) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "x");
    engine.addSlot(predictor);
    engine.feedDraw("2147483647", kHitDraw, 2147483647, "");
    const int32_t seed = WrappingAdd(WrappingAdd(2147483647, 2147483647), slot().nameSeed);
    EXPECT_EQ(slot().cycles.back().prediction, predictor.取下期预测(seed));
}

} // namespace
} // namespace zorlith
