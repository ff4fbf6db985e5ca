#include "trend_page.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

// Draws with the given champions, newest first; the other places follow in order.
std::vector<StoredDraw> DrawsWithChampions(const std::vector<int>& championsNewestFirst) {
    std::vector<StoredDraw> draws;
    int64_t issue = 1000;
    for (const int champion : championsNewestFirst) {
        std::string numbers = (champion < 10 ? "0" : "") + std::to_string(champion);
        for (int car = 1; car <= 10; ++car) {
            if (car != champion) {
                numbers += std::string(",") + (car < 10 ? "0" : "") + std::to_string(car);
            }
        }
        draws.push_back({issue--, 0, numbers, 1});
    }
    return draws;
}

TEST(TrendPage, ShowsChampionRunsOldestFirst) {
    // Oldest to newest: 1 3 4 7 8 → odd odd even odd even; small small small big big.
    const std::string html = RenderTrendPage(DrawsWithChampions({8, 7, 4, 3, 1}));
    EXPECT_NE(html.find("单双：<span class=\"run\">单×2</span> <span class=\"run\">双×1</span> "
                        "<span class=\"run\">单×1</span> <span class=\"run\">双×1</span>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("大小：<span class=\"run\">小×3</span> <span class=\"run\">大×2</span>"),
              std::string::npos)
        << html;
}

TEST(TrendPage, NamesHotAndColdChampionsOfTheLastFiftyDraws) {
    std::vector<int> champions(60, 2);
    // Within the newest 50: 7 five times, 9 four times, 2 the rest; 10 only among the older.
    for (size_t i = 0; i < 5; ++i) {
        champions[i] = 7;
    }
    for (size_t i = 5; i < 9; ++i) {
        champions[i] = 9;
    }
    for (size_t i = 50; i < 60; ++i) {
        champions[i] = 10;
    }
    const std::string html = RenderTrendPage(DrawsWithChampions(champions));
    EXPECT_NE(html.find("热号：<b>2</b>（41 次） <b>7</b>（5 次） <b>9</b>（4 次）"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("冷号：<b>10</b>（0 次） <b>8</b>（0 次） <b>6</b>（0 次）"),
              std::string::npos)
        << html;
}

TEST(TrendPage, ListsAtMostThirtyDrawsAndNeedsNothingFromOutside) {
    const std::string html = RenderTrendPage(DrawsWithChampions(std::vector<int>(45, 5)));
    size_t rows = 0;
    for (size_t at = html.find("<tr><td>"); at != std::string::npos;
         at = html.find("<tr><td>", at + 1)) {
        ++rows;
    }
    EXPECT_EQ(rows, 30u);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
}

TEST(TrendPage, RendersAnEmptyHistory) {
    const std::string html = RenderTrendPage({});
    EXPECT_NE(html.find("</html>"), std::string::npos);
}

} // namespace
} // namespace zorlith
