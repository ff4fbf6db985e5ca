#include "draws/draw_history.h"
#include "draws/number_text.h"
#include "draws/text_split.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

struct TextToIntCase {
    const char* text;
    int32_t expected;
};

void PrintTo(const TextToIntCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class TextToIntTest : public testing::TestWithParam<TextToIntCase> {};

TEST_P(TextToIntTest, ReadsLeadingDigits) {
    EXPECT_EQ(TextToInt(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToIntTest,
    testing::Values(TextToIntCase{"1234", 1234}, TextToIntCase{"05", 5}, TextToIntCase{"", 0},
                    TextToIntCase{"abc", 0}, TextToIntCase{"-17", -17}, TextToIntCase{"-", 0},
                    TextToIntCase{"12ab34", 12}, TextToIntCase{" 12", 0}, TextToIntCase{"+12", 0},
                    TextToIntCase{"2147483647", 2147483647}, TextToIntCase{"2147483648", 0},
                    TextToIntCase{"-2147483648", -2147483647 - 1}, TextToIntCase{"-2147483649", 0},
                    TextToIntCase{"99999999999999999999999", 0},
                    TextToIntCase{"0000000000000000000042", 42}));

struct SplitCase {
    const char* text;
    const char* separator;
    std::vector<std::string> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" at \"" << c.separator << '"';
}

class SplitTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, KeepsInnerEmptyPiecesAndDropsTrailingOne) {
    EXPECT_EQ(SplitText(GetParam().text, GetParam().separator), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    testing::Values(SplitCase{"", ",", {}}, SplitCase{"a", ",", {"a"}},
                    SplitCase{"a,b", ",", {"a", "b"}}, SplitCase{"a,b,", ",", {"a", "b"}},
                    SplitCase{",a", ",", {"", "a"}}, SplitCase{"a,,b", ",", {"a", "", "b"}},
                    SplitCase{",", ",", {""}}, SplitCase{"x|+|y|+|z", "|+|", {"x", "y", "z"}},
                    SplitCase{"r1\r\nr2\r\n", "\r\n", {"r1", "r2"}},
                    SplitCase{"冠军,亚军", ",", {"冠军", "亚军"}}));

DrawRows RowsOf(int count) {
    DrawRows rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({"t" + std::to_string(i), std::to_string(700 - i), "2026-12-11 10:00:00",
                        "01,02,03,04,05,06,07,08,09,10", std::to_string(1000 + i)});
    }
    return rows;
}

TEST(BuildDrawHistoryTest, NoRowsGivesCountEmptyRecords) {
    DrawHistory history{DrawRecord{"old", "1", "", "", 9}};
    BuildDrawHistory(50, {}, history);
    ASSERT_EQ(history.size(), 50u);
    for (const auto& record : history) {
        EXPECT_EQ(record, DrawRecord{});
    }
}

TEST(BuildDrawHistoryTest, FewerRowsLeaveTheOldEndEmpty) {
    DrawHistory history;
    BuildDrawHistory(50, RowsOf(3), history);
    ASSERT_EQ(history.size(), 50u);
    EXPECT_EQ(history[0].issue, "700");
    EXPECT_EQ(history[2].issue, "698");
    EXPECT_EQ(history[2].tag, "t2");
    EXPECT_EQ(history[2].seed, 1002);
    EXPECT_EQ(history[3], DrawRecord{});
    EXPECT_EQ(history[49], DrawRecord{});
}

TEST(BuildDrawHistoryTest, RowsBeyondCountAreIgnored) {
    DrawHistory history;
    BuildDrawHistory(2, RowsOf(5), history);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[1].issue, "699");
}

TEST(BuildDrawHistoryTest, ExtraColumnsAreIgnoredAndShortRowsStayEmpty) {
    DrawRows rows = {{"t", "556342", "time", "01,02,03,04,05,06,07,08,09,10", "1234", "extra"},
                     {"t", "556341", "time", "01,02"}};
    DrawHistory history;
    BuildDrawHistory(2, rows, history);
    EXPECT_EQ(history[0].seed, 1234);
    EXPECT_EQ(history[0].issue, "556342");
    EXPECT_EQ(history[1], DrawRecord{});
}

TEST(BuildDrawHistoryTest, SeedColumnConvertsLikeEveryNumberText) {
    DrawRows rows = {{"t", "1", "", "", "-42x"},
                     {"t", "2", "", "", "nonsense"},
                     {"t", "3", "", "", "4294967296"}};
    DrawHistory history;
    BuildDrawHistory(3, rows, history);
    EXPECT_EQ(history[0].seed, -42);
    EXPECT_EQ(history[1].seed, 0);
    EXPECT_EQ(history[2].seed, 0);
}

TEST(BuildDrawHistoryTest, NegativeCountGivesAnEmptyHistory) {
    DrawHistory history;
    BuildDrawHistory(-1, RowsOf(2), history);
    EXPECT_TRUE(history.empty());
}

TEST(PrependDrawTest, LiveDrawsGoToTheFrontAsCopies) {
    DrawHistory history;
    BuildDrawHistory(50, RowsOf(50), history);
    {
        DrawRecord first{"t", "701", "", "01,02,03,04,05,06,07,08,09,10", 5};
        PrependDraw(history, first);
    }
    auto second = std::make_unique<DrawRecord>(DrawRecord{"t", "702", "", "", 6});
    PrependDraw(history, *second);
    second.reset();
    ASSERT_EQ(history.size(), 52u);
    EXPECT_EQ(history[0].issue, "702");
    EXPECT_EQ(history[1].issue, "701");
    EXPECT_EQ(history[2].issue, "700");
    EXPECT_EQ(history[51].issue, "651");
}

} // namespace
} // namespace zorlith
