#include "trend_page.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zorlith {

namespace {

constexpr size_t kTrendDraws = 30;
constexpr size_t kHotColdDraws = 50;
constexpr size_t kHotColdShown = 3;

int Champion(const StoredDraw& draw) {
    if (draw.numbers.size() < 2) {
        return 0;
    }
    return (draw.numbers[0] - '0') * 10 + (draw.numbers[1] - '0');
}

// Runs of one attribute, oldest first, e.g. "单×3 双×1".
std::string Runs(const std::vector<StoredDraw>& newestFirst, std::string_view yes,
                 std::string_view no, bool (*has)(int)) {
    std::string text;
    std::string_view current;
    int length = 0;
    auto flush = [&] {
        if (length > 0) {
            text += "<span class=\"run\">" + std::string(current) + "×" + std::to_string(length) +
                    "</span> ";
        }
    };
    for (auto draw = newestFirst.rbegin(); draw != newestFirst.rend(); ++draw) {
        const std::string_view value = has(Champion(*draw)) ? yes : no;
        if (value != current) {
            flush();
            current = value;
            length = 0;
        }
        ++length;
    }
    flush();
    return text;
}

std::string ChampionChart(const std::vector<StoredDraw>& newestFirst) {
    const int width = 600;
    const int height = 220;
    const size_t count = newestFirst.size();
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                      "\" height=\"" + std::to_string(height) +
                      "\" role=\"img\" aria-label=\"冠军号码走势\">";
    for (int car = 1; car <= 10; ++car) {
        const int y = 10 + (10 - car) * 20;
        svg += "<line x1=\"30\" x2=\"" + std::to_string(width - 10) + "\" y1=\"" +
               std::to_string(y) + "\" y2=\"" + std::to_string(y) +
               "\" stroke=\"#ddd\"/><text x=\"4\" y=\"" + std::to_string(y + 4) +
               "\" font-size=\"11\">" + std::to_string(car) + "</text>";
    }
    std::string points;
    for (size_t i = 0; i < count; ++i) {
        const StoredDraw& draw = newestFirst[count - 1 - i];
        const int x =
            30 + static_cast<int>(i) * (width - 50) / std::max<int>(1, static_cast<int>(count) - 1);
        const int y = 10 + (10 - Champion(draw)) * 20;
        points += std::to_string(x) + "," + std::to_string(y) + " ";
        const char* colour = Champion(draw) % 2 ? "#c0392b" : "#2471a3";
        svg += "<circle cx=\"" + std::to_string(x) + "\" cy=\"" + std::to_string(y) +
               "\" r=\"4\" fill=\"" + colour + "\"/>";
    }
    svg += "<polyline fill=\"none\" stroke=\"#888\" points=\"" + points + "\"/></svg>";
    return svg;
}

} // namespace

std::string RenderTrendPage(const std::vector<StoredDraw>& draws) {
    const std::vector<StoredDraw> trend(
        draws.begin(),
        draws.begin() + static_cast<std::ptrdiff_t>(std::min(kTrendDraws, draws.size())));
    const size_t hotColdCount = std::min(kHotColdDraws, draws.size());
    std::array<int, 11> championCounts{};
    for (size_t i = 0; i < hotColdCount; ++i) {
        const int car = Champion(draws[i]);
        if (car >= 1 && car <= 10) {
            ++championCounts[static_cast<size_t>(car)];
        }
    }
    std::array<int, 10> cars{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::stable_sort(cars.begin(), cars.end(), [&](int a, int b) {
        return championCounts[static_cast<size_t>(a)] > championCounts[static_cast<size_t>(b)];
    });
    auto carList = [&](auto first, auto last) {
        std::string text;
        for (auto car = first; car != last; ++car) {
            text += "<b>" + std::to_string(*car) + "</b>（" +
                    std::to_string(championCounts[static_cast<size_t>(*car)]) + " 次） ";
        }
        return text;
    };

    std::string html = "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                       "<title>冠军走势</title><style>"
                       "body{font-family:sans-serif;margin:12px;color:#222}"
                       "table{border-collapse:collapse;font-size:13px}"
                       "td,th{border:1px solid #ccc;padding:2px 6px;text-align:center}"
                       ".odd{color:#c0392b}.even{color:#2471a3}.run{white-space:nowrap}"
                       "</style></head><body><h2>冠军走势（最近 " +
                       std::to_string(trend.size()) + " 期）</h2>" + ChampionChart(trend);
    html += "<p>连出（从早到近）</p><p>单双：" +
            Runs(trend, "单", "双", [](int car) { return car % 2 == 1; }) + "</p><p>大小：" +
            Runs(trend, "大", "小", [](int car) { return car >= 6; }) + "</p>";
    html += "<p>最近 " + std::to_string(hotColdCount) + " 期冠军热号：" +
            carList(cars.begin(), cars.begin() + kHotColdShown) + "<br>冷号：" +
            carList(cars.rbegin(), cars.rbegin() + kHotColdShown) + "</p>";
    html += "<table><tr><th>期号</th><th>冠军</th><th>单双</th><th>大小</th><th>开奖号码</th></tr>";
    for (const StoredDraw& draw : trend) {
        const int champion = Champion(draw);
        html += "<tr><td>" + std::to_string(draw.issue) + "</td><td class=\"" +
                (champion % 2 ? "odd" : "even") + "\">" + std::to_string(champion) + "</td><td>" +
                (champion % 2 ? "单" : "双") + "</td><td>" + (champion >= 6 ? "大" : "小") +
                "</td><td>" + draw.numbers + "</td></tr>";
    }
    html += "</table><p>"
            "<a href=\"https://zh.wikipedia.org/wiki/%E5%BD%A9%E7%A5%A8\">彩票常识</a> · "
            "<a href=\"https://zh.wikipedia.org/wiki/%E6%A6%82%E7%8E%87\">概率常识</a> · "
            "<a href=\"https://zh.wikipedia.org/wiki/%E8%B5%8C%E5%8D%9A%E6%88%90%E7%98%BE\">"
            "理性投注，远离沉迷</a></p><p>彩票有风险，投注需谨慎！</p></body></html>";
    return html;
}

} // namespace zorlith
