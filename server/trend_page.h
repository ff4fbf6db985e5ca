#pragma once

#include "draw_making.h"

#include <string>
#include <vector>

namespace zorlith {

// The embedded page: the last 30 draws as a trend of the champion (odd/even and big/small runs)
// and the hot and cold champion numbers of the last 50 draws. Plain HTML with inline SVG and
// no external assets; its few links lead to outside pages. `draws` is newest first.
std::string RenderTrendPage(const std::vector<StoredDraw>& draws);

} // namespace zorlith
