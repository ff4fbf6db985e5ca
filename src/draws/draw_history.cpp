#include "draws/draw_history.h"

#include "draws/number_text.h"

#include <algorithm>

namespace zorlith {

void BuildDrawHistory(int32_t count, const DrawRows& rows, DrawHistory& history) {
    const size_t size = static_cast<size_t>(std::max(count, 0));
    history.assign(size, DrawRecord{});
    const size_t filled = std::min(size, rows.size());
    for (size_t r = 0; r < filled; ++r) {
        const auto& row = rows[r];
        if (row.size() < 5) {
            continue;
        }
        history[r] = DrawRecord{row[0], row[1], row[2], row[3], TextToInt(row[4])};
    }
}

void PrependDraw(DrawHistory& history, const DrawRecord& record) {
    history.push_front(record);
}

} // namespace zorlith
