#include "plan/plan_engine.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

class ZeroUptimeClock final : public Clock {
public:
    int64_t unixNow() const override { return 0; }
    uint32_t uptimeMs() const override { return 0; }
};

struct ParseCase {
    const char* name;
    std::optional<PlanKind> kind;
    int32_t subject = 0;
    int32_t count = 0;
    const char* groupSizes = "";
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.name << '"';
}

class PlanNamePatternsTest : public testing::TestWithParam<ParseCase> {};

TEST_P(PlanNamePatternsTest, RecognisesTheKindAndItsValues) {
    const PlanNamePatterns patterns;
    const auto& c = GetParam();
    const auto plan = patterns.recognise(c.name);
    ASSERT_EQ(plan.has_value(), c.kind.has_value()) << c.name;
    if (!plan) {
        return;
    }
    EXPECT_EQ(plan->kind, *c.kind) << c.name;
    EXPECT_EQ(plan->subject, c.subject) << c.name;
    EXPECT_EQ(plan->count, c.count) << c.name;
    EXPECT_EQ(plan->groupSizes, c.groupSizes) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanNamePatternsTest,
    testing::Values(ParseCase{"冠军单双", PlanKind::PlaceOddEven, 1},
                    ParseCase{"亚军大小5期", PlanKind::PlaceBigSmall, 2},
                    ParseCase{"季军单双", PlanKind::PlaceOddEven, 3},
                    ParseCase{"10号单双", PlanKind::PlaceOddEven, 10},
                    ParseCase{"冠号单双", PlanKind::PlaceOddEven, 1},
                    ParseCase{"3军大小", PlanKind::PlaceBigSmall, 3},
                    ParseCase{"冠军5胆3期", PlanKind::PlaceNumberSet, 1, 5},
                    ParseCase{"季军12胆1期", PlanKind::PlaceNumberSet, 3, 12},
                    ParseCase{"前3名5*5*5注", PlanKind::TopPlacesCombo, 1, 0, "5*5*5"},
                    ParseCase{"前2名10*5注", PlanKind::TopPlacesCombo, 1, 0, "10*5"},
                    ParseCase{"7号车位置", PlanKind::CarPosition, 7, 5},
                    ParseCase{"冠亚和值单双", PlanKind::SumOddEven, 1, 2},
                    ParseCase{"冠亚和值大小", PlanKind::SumBigSmall, 1, 2},
                    ParseCase{"前5独胆", PlanKind::TopSingleNumber, 1, 5},
                    ParseCase{"0号单双", std::nullopt}, ParseCase{"00号单双", std::nullopt},
                    ParseCase{"冠军单双 ", std::nullopt}, ParseCase{" 冠军单双", std::nullopt},
                    ParseCase{"冠军单双5", std::nullopt}, ParseCase{"前2名10*10注", std::nullopt},
                    ParseCase{"１号单双", std::nullopt}, // full-width digit
                    ParseCase{"前6独胆", std::nullopt}, ParseCase{"", std::nullopt},
                    ParseCase{"冠军", std::nullopt}, ParseCase{"\xFF\xFE", std::nullopt},
                    ParseCase{"冠\xFF军单双", std::nullopt}));

TEST(PlanEngineConfigureTest, EveryRecognisedNameAddsOneSlotWithTheGivenCycle) {
    const ZeroUptimeClock clock;
    PlanEngine engine(clock);
    const char* names[] = {"冠军单双",     "亚军大小5期",  "10号单双",
                           "冠军5胆3期",   "前3名5*5*5注", "7号车位置",
                           "冠亚和值单双", "冠亚和值大小", "前5独胆"};
    int32_t expectedSlots = 0;
    for (const char* name : names) {
        EXPECT_TRUE(engine.configure(name, name, 2)) << name;
        ++expectedSlots;
        ASSERT_EQ(engine.getSlotCount(), expectedSlots);
        const PlanSlot& slot = engine.slots().back();
        EXPECT_EQ(slot.name, name);
        EXPECT_EQ(slot.cycleIssues, 2) << name;
    }
}

TEST(PlanEngineConfigureTest, DisplayModesFollowTheKind) {
    const ZeroUptimeClock clock;
    PlanEngine engine(clock);
    engine.configure("冠军单双", "a", 1);
    engine.configure("冠军5胆3期", "b", 1);
    engine.configure("7号车位置", "c", 1);
    engine.configure("前3名5*5*5注", "d", 1);
    engine.configure("前5独胆", "e", 1);
    std::vector<int32_t> modes;
    for (const auto& slot : engine.slots()) {
        modes.push_back(slot.displayMode);
    }
    EXPECT_EQ(modes, (std::vector<int32_t>{1, 2, 2, 2, 1}));
}

TEST(PlanEngineConfigureTest, RefusedNamesLeaveTheEngineUnchanged) {
    const ZeroUptimeClock clock;
    PlanEngine engine(clock);
    EXPECT_FALSE(engine.configure("", "", 1));
    EXPECT_FALSE(engine.configure("0号单双", "x", 1));
    EXPECT_FALSE(engine.configure("随便", "x", 1));
    EXPECT_EQ(engine.getSlotCount(), 0);
}

TEST(PlanEngineConfigureTest, SlotNameMayDifferFromThePlanName) {
    const ZeroUptimeClock clock;
    PlanEngine engine(clock);
    ASSERT_TRUE(engine.configure("冠军5胆3期", "", 4));
    // An empty slot name lets the kind build its own name, with the cycle it was given.
    EXPECT_EQ(engine.slotNameAt(1), "冠军5胆4期");
    ASSERT_TRUE(engine.configure("7号车位置", "车7", 1));
    EXPECT_EQ(engine.findSlot("车7"), 2);
}

TEST(PlanEngineConfigureTest, LaterConfigurationLeavesEarlierSlotsAlone) {
    const ZeroUptimeClock clock;
    PlanEngine engine(clock);
    ASSERT_TRUE(engine.configure("冠军单双", "一", 1));
    ASSERT_TRUE(engine.configure("亚军单双", "二", 1));
    const DrawNumbers draw = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"};
    EXPECT_TRUE(engine.slots()[0].predictor->验证预测(draw, "单"));
    EXPECT_TRUE(engine.slots()[1].predictor->验证预测(draw, "双"));
}

} // namespace
} // namespace zorlith
