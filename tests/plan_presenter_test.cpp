#include "plan/plan_presenter.h"
#include "plan/plan_text.h"
#include "startup/plan_setup.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

using testing_support::ChampionOnePredictor;
using testing_support::kHitDraw;
using testing_support::kMissDraw;
using testing_support::ManualClock;

class RecordingView final : public PlanView {
public:
    void replacePlanText(const std::string& text) override {
        texts.push_back(text);
        calls += "T";
    }
    void moveCaretToEnd() override { calls += "C"; }
    void pumpEvents() override { calls += "P"; }
    std::vector<std::string> texts;
    std::string calls;
};

DrawHistory HistoryOf(int32_t count, int32_t newestIssue) {
    DrawHistory history;
    for (int32_t i = 0; i < count; ++i) {
        history.push_back(DrawRecord{"t", std::to_string(newestIssue - i), "",
                                     i % 3 == 0 ? kHitDraw : kMissDraw, 100 + i});
    }
    return history;
}

class PlanPresenterTest : public testing::Test {
protected:
    void SetUp() override {
        engine.addSlot(ChampionOnePredictor("冠军单双"));
        engine.setCycleIssues(1, "", 0);
        engine.setWipeOnLosingStreak(0);
        presenter.setup(view, "冠军单双");
    }

    ManualClock clock{4321};
    PlanEngine engine{clock};
    PlanPresenter presenter{engine, clock};
    RecordingView view;
};

TEST_F(PlanPresenterTest, FeedLatestFeedsAndRewritesTheText) {
    presenter.feedLatest(DrawRecord{"t", "100", "", kHitDraw, 0});
    EXPECT_EQ(view.calls, "TCP");
    ASSERT_EQ(view.texts.size(), 1u);
    EXPECT_EQ(view.texts[0], PlanTextWithStatistics(engine, "冠军单双"));
    EXPECT_EQ(engine.slots()[0].cycleCount(), 2);
}

TEST_F(PlanPresenterTest, LiveDrawUsesTheUptimeAsSeed) {
    PlaceOddEvenPredictor predictor;
    predictor.置参数(1, "冠军单双");
    PlanEngine realEngine(clock);
    realEngine.addSlot(predictor);
    PlanPresenter realPresenter(realEngine, clock);
    realPresenter.setup(view, "冠军单双");
    realPresenter.feedLatest(DrawRecord{"t", "100", "", kHitDraw, 0});
    const int32_t seed = 100 + 4321 + realEngine.slots()[0].nameSeed;
    EXPECT_EQ(realEngine.currentPrediction("冠军单双"), predictor.取下期预测(seed));
}

TEST_F(PlanPresenterTest, BadLiveDrawStillRewritesTheText) {
    presenter.feedLatest(DrawRecord{"t", "100", "", "not numbers", 0});
    EXPECT_EQ(view.texts.size(), 1u);
    EXPECT_TRUE(engine.slots()[0].cycles.empty());
}

TEST_F(PlanPresenterTest, ReplayFeedsOldestFirstThenTheNewestAsLive) {
    const DrawHistory history = HistoryOf(50, 500);
    std::vector<std::string> visited;
    presenter.replay(history, history.size(),
                     [&](const DrawRecord& record) { visited.push_back(record.issue); });
    ASSERT_EQ(visited.size(), 50u);
    EXPECT_EQ(visited.front(), "451");
    EXPECT_EQ(visited[48], "499");
    EXPECT_EQ(visited.back(), "500");
    const auto& cycles = engine.slots()[0].cycles;
    EXPECT_EQ(cycles.front().firstIssue, "451");
    EXPECT_EQ(cycles.back().firstIssue, "501");
    EXPECT_EQ(cycles.size(), 51u);
    EXPECT_EQ(view.texts.size(), 1u); // only the live draw writes the text
}

TEST_F(PlanPresenterTest, ReplaySkipsEmptyRecordsAtTheOldEnd) {
    DrawHistory history = HistoryOf(3, 500);
    history.resize(50);
    std::vector<std::string> visited;
    presenter.replay(history, history.size(),
                     [&](const DrawRecord& record) { visited.push_back(record.issue); });
    EXPECT_EQ(visited.size(), 50u);
    EXPECT_EQ(engine.slots()[0].cycles.front().firstIssue, "498");
    EXPECT_EQ(engine.slots()[0].cycleCount(), 4);
}

TEST_F(PlanPresenterTest, RebuildReplaysOnlyTheFiftyNewestDraws) {
    engine.setHitPercent(73);
    const DrawHistory history = HistoryOf(60, 600);
    presenter.replay(history, history.size());
    ASSERT_EQ(engine.slots()[0].cycles.front().firstIssue, "541");
    presenter.rebuild(history);
    EXPECT_EQ(engine.slots()[0].cycles.front().firstIssue, "551");
    EXPECT_EQ(engine.slots()[0].cycles.back().firstIssue, "601");
    EXPECT_EQ(engine.hitPercent(), 73);
    EXPECT_EQ(engine.getSlotCount(), 1);
    EXPECT_EQ(view.texts.size(), 2u);
}

TEST_F(PlanPresenterTest, RebuildOfAShortOrEmptyHistoryIsSafe) {
    presenter.rebuild(HistoryOf(2, 10));
    EXPECT_EQ(engine.slots()[0].cycles.front().firstIssue, "9");
    presenter.rebuild({});
    EXPECT_TRUE(engine.slots()[0].cycles.empty());
}

TEST(PlanPresenterUnboundTest, ShowPlanWithoutAViewDoesNothing) {
    ManualClock clock;
    PlanEngine engine(clock);
    engine.addSlot(ChampionOnePredictor());
    PlanPresenter presenter(engine, clock);
    presenter.showPlan();
    presenter.feedLatest(DrawRecord{"t", "1", "", kHitDraw, 0});
    EXPECT_EQ(engine.slots()[0].cycleCount(), 2);
}

} // namespace
} // namespace zorlith
