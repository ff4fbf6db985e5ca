#include "draw_book.h"
#include "drawd_test_support.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

constexpr int64_t kNow = 1765436523;
constexpr int64_t kPeriod = 300;

class DrawBookTest : public ::testing::Test {
protected:
    DrawBookTest() {
        std::string error;
        store_ = DrawStore::Open((dir_.path() / "draws.sqlite").string(), error);
    }

    testing::TempDir dir_;
    std::unique_ptr<DrawStore> store_;
    std::string error_;
};

// Consecutive issues at consecutive multiples of the period, newest first.
void ExpectUnbroken(const std::vector<StoredDraw>& newestFirst, int64_t period) {
    for (size_t i = 0; i + 1 < newestFirst.size(); ++i) {
        EXPECT_EQ(newestFirst[i].issue, newestFirst[i + 1].issue + 1);
        EXPECT_EQ(newestFirst[i].drawnAt, newestFirst[i + 1].drawnAt + period);
        EXPECT_EQ(newestFirst[i].drawnAt % period, 0);
    }
}

TEST_F(DrawBookTest, AFreshStoreGetsAHistoryEndingAtTheLatestMultiple) {
    DrawBook book(*store_, kPeriod);
    ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
    const auto draws = book.recent(1000);
    ASSERT_EQ(draws.size(), static_cast<size_t>(DrawBook::kFreshHistory));
    EXPECT_EQ(draws.front().drawnAt, LatestMultiple(kNow, kPeriod));
    ExpectUnbroken(draws, kPeriod);
    EXPECT_EQ(book.nextDrawTime(draws.front()), draws.front().drawnAt + kPeriod);
}

TEST_F(DrawBookTest, CatchesUpOnEveryDrawThatFellDue) {
    DrawBook book(*store_, kPeriod);
    ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
    const StoredDraw before = book.newest().value();
    EXPECT_EQ(book.makeDueDraws(kNow, error_), 0);
    EXPECT_EQ(book.makeDueDraws(before.drawnAt + 10 * kPeriod + 5, error_), 10);
    const auto draws = book.recent(1000);
    EXPECT_EQ(draws.front().issue, before.issue + 10);
    ExpectUnbroken(draws, kPeriod);
}

TEST_F(DrawBookTest, ARestartKeepsEveryDrawAndContinuesTheIssues) {
    std::vector<StoredDraw> before;
    {
        DrawBook book(*store_, kPeriod);
        ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
        ASSERT_EQ(book.makeDueDraws(kNow + 3 * kPeriod, error_), 3);
        before = book.recent(1000);
    }
    DrawBook again(*store_, kPeriod);
    EXPECT_EQ(again.recent(1000), before);
    ASSERT_EQ(again.makeDueDraws(kNow + 4 * kPeriod, error_), 1);
    EXPECT_EQ(again.newest()->issue, before.front().issue + 1);
}

TEST_F(DrawBookTest, AnotherPeriodAfterARestartDrawsOnItsOwnMultiples) {
    {
        DrawBook book(*store_, kPeriod);
        ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
    }
    constexpr int64_t kShorter = 7;
    DrawBook book(*store_, kShorter);
    const StoredDraw last = book.newest().value();
    ASSERT_GT(book.makeDueDraws(kNow + 60, error_), 0);
    const auto draws = book.recent(1000);
    for (const StoredDraw& draw : draws) {
        if (draw.issue > last.issue) {
            EXPECT_EQ(draw.drawnAt % kShorter, 0) << draw.issue;
        }
    }
    EXPECT_EQ(draws.front().issue - last.issue,
              (LatestMultiple(kNow + 60, kShorter) - LatestMultiple(last.drawnAt, kShorter)) /
                  kShorter);
}

TEST_F(DrawBookTest, ImportedDrawsEndOnePeriodBeforeTheFirstSimulatedOne) {
    DrawBook book(*store_, kPeriod);
    ASSERT_TRUE(book.importHistory(
        {{41, "01,02,03,04,05,06,07,08,09,10"}, {42, "10,09,08,07,06,05,04,03,02,01"}}, kNow,
        error_));
    ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
    ASSERT_EQ(book.makeDueDraws(kNow, error_), 1);
    const auto draws = book.recent(1000);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].issue, 43);
    EXPECT_EQ(draws[0].drawnAt, LatestMultiple(kNow, kPeriod));
    EXPECT_EQ(draws[1].numbers, "10,09,08,07,06,05,04,03,02,01");
    EXPECT_NE(draws[1].seed, 0);
    ExpectUnbroken(draws, kPeriod);

    EXPECT_FALSE(book.importHistory({{50, "01,02,03,04,05,06,07,08,09,10"}}, kNow, error_));
    EXPECT_FALSE(error_.empty());
}

TEST_F(DrawBookTest, KeepsOnlyTheNewestThousandInMemory) {
    DrawBook book(*store_, 1);
    ASSERT_TRUE(book.seedFreshHistory(kNow, error_));
    ASSERT_EQ(book.makeDueDraws(kNow + 1500, error_), 1500);
    EXPECT_EQ(book.recent(5000).size(), DrawBook::kKeptInMemory);
    EXPECT_EQ(store_->count(), 1600);
}

} // namespace
} // namespace zorlith
