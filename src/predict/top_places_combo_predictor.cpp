#include "predict/top_places_combo_predictor.h"

#include "draws/number_text.h"
#include "draws/text_split.h"
#include "predict/number_set_predictors.h"
#include "predict/random_source.h"

#include <bitset>

namespace zorlith {
namespace {

// Reads a group back into its numbers. "10" is the only two-digit number and, being the
// largest, ends its group, so "1" directly followed by "0" is ten.
std::bitset<11> GroupMembers(std::string_view group) {
    std::bitset<11> members;
    for (size_t i = 0; i < group.size(); ++i) {
        const char c = group[i];
        if (c == '1' && i + 1 < group.size() && group[i + 1] == '0') {
            members.set(10);
            ++i;
        } else if (c >= '1' && c <= '9') {
            members.set(static_cast<size_t>(c - '0'));
        }
    }
    return members;
}

} // namespace

void TopPlacesComboPredictor::置参数(int32_t firstPlace, std::string_view sizes,
                                     std::string_view name) {
    firstPlace_ = firstPlace;
    置显示方式(2);
    placeCounts_.clear();
    for (const auto& part : SplitText(sizes, "*")) {
        placeCounts_.push_back(ClampSetSize(TextToInt(part)));
    }
    置名称(name);
}

std::string TopPlacesComboPredictor::取下期预测(int32_t seed) const {
    SeedRandom(seed);
    std::string text;
    for (size_t i = 0; i < placeCounts_.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        for (int32_t n : DrawDistinctNumbers(placeCounts_[i])) {
            text += std::to_string(n);
        }
    }
    return text;
}

// Membership, not a text search: a drawn 1 is not found in a group that holds only 10.
bool TopPlacesComboPredictor::验证预测(const DrawNumbers& numbers,
                                       std::string_view prediction) const {
    const auto groups = SplitText(prediction, ",");
    for (size_t i = 0; i < placeCounts_.size(); ++i) {
        const int32_t place = firstPlace_ + static_cast<int32_t>(i);
        const int32_t drawn = TextToInt(NumberAtPlace(numbers, place));
        if (i >= groups.size() || drawn < 1 || drawn > 10 ||
            !GroupMembers(groups[i]).test(static_cast<size_t>(drawn))) {
            return false;
        }
    }
    return true;
}

} // namespace zorlith
