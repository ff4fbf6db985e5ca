#include "draw_making.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <set>

namespace zorlith {
namespace {

bool IsCarOrder(const std::string& numbers) {
    if (numbers.size() != 29) {
        return false;
    }
    std::set<std::string> cars;
    for (size_t i = 0; i < 10; ++i) {
        const std::string car = numbers.substr(i * 3, 2);
        if (car < "01" || car > "10" || (i < 9 && numbers[i * 3 + 2] != ',')) {
            return false;
        }
        cars.insert(car);
    }
    return cars.size() == 10;
}

TEST(RandomCarOrder, IsAPermutationWithEveryCarEquallyLikelyFirst) {
    std::array<int, 11> champions{};
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const std::string numbers = RandomCarOrder();
        ASSERT_TRUE(IsCarOrder(numbers)) << numbers;
        ++champions[static_cast<size_t>(std::stoi(numbers.substr(0, 2)))];
    }
    // 2000 expected per car, standard deviation about 42: the bounds are beyond 9 sigma.
    for (int car = 1; car <= 10; ++car) {
        EXPECT_GT(champions[static_cast<size_t>(car)], 1600) << car;
        EXPECT_LT(champions[static_cast<size_t>(car)], 2400) << car;
    }
}

TEST(SecureAlphanumeric, UsesOnlyLettersAndDigitsAndDiffersEachTime) {
    const std::string first = SecureAlphanumeric(16);
    ASSERT_EQ(first.size(), 16u);
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](char c) { return std::isalnum(c); }));
    EXPECT_NE(first, SecureAlphanumeric(16));
}

TEST(LatestMultiple, RoundsDownIncludingBeforeTheEpoch) {
    EXPECT_EQ(LatestMultiple(600, 300), 600);
    EXPECT_EQ(LatestMultiple(899, 300), 600);
    EXPECT_EQ(LatestMultiple(-1, 300), -300);
    EXPECT_EQ(LatestMultiple(7, 1), 7);
}

TEST(LocalDateTime, WritesTheLocalCalendarTime) {
    ::setenv("TZ", "UTC-8", 1);
    ::tzset();
    EXPECT_EQ(LocalDateTime(0), "1970-01-01 08:00:00");
    EXPECT_EQ(LocalDateTime(1765436400), "2025-12-11 15:00:00");
}

TEST(ParseImport, ReadsSoundLinesSkippingBlankOnesAndCarriageReturns) {
    const auto result = ParseImport("701882 09 07 03 08 02 01 10 05 06 04\r\n"
                                    "\n"
                                    "701883\t07 04 06 02 10 08 01 05 03 09\n");
    ASSERT_TRUE(result.problems.empty());
    ASSERT_EQ(result.draws.size(), 2u);
    EXPECT_EQ(result.draws[0].issue, 701882);
    EXPECT_EQ(result.draws[0].numbers, "09,07,03,08,02,01,10,05,06,04");
    EXPECT_EQ(result.draws[1].issue, 701883);
}

struct MalformedLine {
    const char* line;
    const char* problemPart;
};

class ParseImportRefuses : public ::testing::TestWithParam<MalformedLine> {};

TEST_P(ParseImportRefuses, NamingTheLine) {
    const std::string text =
        std::string("5 01 02 03 04 05 06 07 08 09 10\n") + GetParam().line + "\n";
    const auto result = ParseImport(text);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_NE(result.problems[0].find("第 2 行"), std::string::npos) << result.problems[0];
    EXPECT_NE(result.problems[0].find(GetParam().problemPart), std::string::npos)
        << result.problems[0];
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseImportRefuses,
    ::testing::Values(MalformedLine{"6 01 02 03 04 05 06 07 08 09", "10 个号码"},
                      MalformedLine{"6 01 02 03 04 05 06 07 08 09 10 11", "10 个号码"},
                      MalformedLine{"x6 01 02 03 04 05 06 07 08 09 10", "期号"},
                      MalformedLine{"-6 01 02 03 04 05 06 07 08 09 10", "期号"},
                      MalformedLine{"0 01 02 03 04 05 06 07 08 09 10", "期号"},
                      MalformedLine{"99999999999 01 02 03 04 05 06 07 08 09 10", "期号"},
                      MalformedLine{"6 01 02 03 04 05 06 07 08 09 11", "第 10 名"},
                      MalformedLine{"6 01 01 03 04 05 06 07 08 09 10", "第 2 名"},
                      MalformedLine{"6 1 02 03 04 05 06 07 08 09 10", "第 1 名"},
                      MalformedLine{"6 00 02 03 04 05 06 07 08 09 10", "第 1 名"},
                      MalformedLine{"5 10 02 03 04 05 06 07 08 09 01", "不大于"},
                      MalformedLine{"4 10 02 03 04 05 06 07 08 09 01", "不大于"}));

TEST(ParseImport, ReportsEveryMalformedLine) {
    const auto result = ParseImport("1 01 02 03 04 05 06 07 08 09 10\n"
                                    "bad\n"
                                    "2 01 02 03 04 05 06 07 08 09 10\n"
                                    "3 01 02\n");
    ASSERT_EQ(result.problems.size(), 2u);
    EXPECT_NE(result.problems[0].find("第 2 行"), std::string::npos);
    EXPECT_NE(result.problems[1].find("第 4 行"), std::string::npos);
}

TEST(ParseImport, RefusesAFileWithoutDraws) {
    EXPECT_EQ(ParseImport("\n\n").problems.size(), 1u);
    EXPECT_EQ(ParseImport("").problems.size(), 1u);
}

} // namespace
} // namespace zorlith
