#include "plan/name_seed.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

TEST(NameSeedTest, GbkBytesOfTheDefaultPlanName) {
    const std::string gbk = ToGbk("冠军单双");
    EXPECT_EQ(gbk, "\xB9\xDA\xBE\xFC\xB5\xA5\xCB\xAB");
    EXPECT_EQ(ToGbk("前3名5*5*5注").size(), 12u);
}

TEST(NameSeedTest, CharactersWithoutGbkFormBecomeQuestionMarks) {
    EXPECT_EQ(ToGbk("a\xF0\x9F\x98\x80z"), "a?z"); // an emoji
    EXPECT_EQ(ToGbk("a\xFFz"), "a\xFFz");          // a stray byte is kept
}

TEST(NameSeedTest, Md5HexIsLowerCaseAndComplete) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex(ToGbk("冠军单双")), "793a6d3ff474aa6faef94df8e7d854d7");
}

struct SeedCase {
    const char* text;
    int32_t nameSeed;
};

void PrintTo(const SeedCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NameSeedValueTest : public testing::TestWithParam<SeedCase> {};

TEST_P(NameSeedValueTest, FirstSixDigitsOfTheDigest) {
    EXPECT_EQ(NameSeed(GetParam().text), GetParam().nameSeed);
}

INSTANTIATE_TEST_SUITE_P(Cases, NameSeedValueTest,
                         testing::Values(SeedCase{"冠军单双", 0x793a6d},
                                         SeedCase{"亚军大小5期", 0x7af669},
                                         SeedCase{"前3名5*5*5注", 0x457ba0},
                                         SeedCase{"", 0xd41d8c}));

TEST(PlanSeedTest, AbsoluteValueOfTheFirstEightDigits) {
    EXPECT_EQ(PlanSeed("甲"), 0x2c16d0dc);
    EXPECT_EQ(PlanSeed("丙"), 1212568733); // b7b9ab63 is negative as int32
    EXPECT_EQ(PlanSeed("计划"), 0x28c9ef00);
}

} // namespace
} // namespace zorlith
