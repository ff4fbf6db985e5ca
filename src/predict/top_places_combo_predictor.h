#pragma once

#include "predict/predictor.h"

namespace zorlith {

// A group of numbers for each of the first places; hits when every place shows a car of its
// group. Groups print their numbers ascending without separators ("1510" is {1, 5, 10}) and
// are joined by ",".
class TopPlacesComboPredictor : public PredictorKind<TopPlacesComboPredictor> {
public:
    void 置参数(int32_t firstPlace, std::string_view sizes, std::string_view name);
    std::string 取下期预测(int32_t seed) const override;
    bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const override;

    int32_t count() const { return static_cast<int32_t>(placeCounts_.size()); }
    const std::vector<int32_t>& placeCounts() const { return placeCounts_; }

private:
    int32_t firstPlace_ = 0;
    std::vector<int32_t> placeCounts_;
};

} // namespace zorlith
