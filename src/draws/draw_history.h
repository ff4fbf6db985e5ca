#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zorlith {

// One draw. `numbers` holds the ten cars in place order, two digits each, joined by ",".
struct DrawRecord {
    std::string tag;
    std::string issue;
    std::string drawTime;
    std::string numbers;
    int32_t seed = 0;

    bool operator==(const DrawRecord&) const = default;
};

// The newest draw and the coming issue (only its tag, issue and drawTime are filled).
struct DrawUpdate {
    DrawRecord newest;
    DrawRecord coming;
};

// Past draws, newest at index 0.
using DrawHistory = std::deque<DrawRecord>;

// The draw table of the service: one row per draw, newest first, columns tag, issue,
// draw time, numbers, seed.
using DrawRows = std::vector<std::vector<std::string>>;

// Replaces history with exactly `count` records filled from the rows in order. Missing rows
// leave empty records at the old end; rows beyond `count` and rows of fewer than five columns
// are ignored, so a table can never overflow the history or be read out of bounds.
void BuildDrawHistory(int32_t count, const DrawRows& rows, DrawHistory& history);

void PrependDraw(DrawHistory& history, const DrawRecord& record);

} // namespace zorlith
