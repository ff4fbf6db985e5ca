#include "predict/number_set_predictors.h"

#include "draws/number_text.h"
#include "draws/text_split.h"
#include "predict/random_source.h"

#include <algorithm>
#include <array>

namespace zorlith {
namespace {

int32_t CycleOrDefault(int32_t cycle) {
    return cycle == 0 ? 3 : cycle;
}

std::string PlaceWord(int32_t place) {
    switch (place) {
    case 1:
        return "冠军";
    case 2:
        return "亚军";
    case 3:
        return "季军";
    default:
        return {};
    }
}

} // namespace

int32_t ClampSetSize(int32_t size) {
    return std::clamp(size, 1, 10);
}

std::vector<int32_t> DrawDistinctNumbers(int32_t count) {
    std::array<bool, 11> drawn{};
    for (int32_t found = 0; found < count;) {
        const auto r = static_cast<size_t>(RandomInRange(1, 10));
        if (!drawn[r]) {
            drawn[r] = true;
            ++found;
        }
    }
    std::vector<int32_t> numbers;
    for (int32_t n = 1; n <= 10; ++n) {
        if (drawn[static_cast<size_t>(n)]) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

void NumberSetPredictorBase::configure(int32_t subject, int32_t count, std::string_view name,
                                       int32_t cycle, std::string_view builtName) {
    subject_ = subject;
    count_ = ClampSetSize(count);
    置显示方式(2);
    置名称(name.empty() ? builtName : name);
    置周期期数(CycleOrDefault(cycle));
}

std::string NumberSetPredictorBase::取下期预测(int32_t seed) const {
    SeedRandom(seed);
    std::string text;
    for (int32_t n : DrawDistinctNumbers(count_)) {
        if (!text.empty()) {
            text += ' ';
        }
        text += TwoDigitText(n);
    }
    return text;
}

void PlaceNumberSetPredictor::置参数(int32_t place, int32_t count, std::string_view name,
                                     int32_t cycle) {
    configure(place, count, name, cycle,
              PlaceWord(place) + std::to_string(ClampSetSize(count)) + "胆" +
                  std::to_string(CycleOrDefault(cycle)) + "期");
}

bool PlaceNumberSetPredictor::验证预测(const DrawNumbers& numbers,
                                       std::string_view prediction) const {
    const std::string drawn = NumberAtPlace(numbers, place());
    return !drawn.empty() && prediction.find(drawn) != std::string_view::npos;
}

void CarPositionPredictor::置参数(int32_t carNumber, int32_t count, std::string_view name,
                                  int32_t cycle) {
    configure(carNumber, count, name, cycle, std::to_string(carNumber) + "号车位置");
}

bool CarPositionPredictor::验证预测(const DrawNumbers& numbers, std::string_view prediction) const {
    const auto places = SplitText(prediction, " ");
    const auto pieces = std::min(places.size(), static_cast<size_t>(count()));
    for (size_t i = 0; i < pieces; ++i) {
        if (TextToInt(NumberAtPlace(numbers, TextToInt(places[i]))) == carNumber()) {
            return true;
        }
    }
    return false;
}

void TopSingleNumberPredictor::置参数(int32_t firstPlace, int32_t count, std::string_view name) {
    firstPlace_ = firstPlace;
    count_ = count;
    置名称(name);
}

std::string TopSingleNumberPredictor::取下期预测(int32_t seed) const {
    SeedRandom(seed);
    return TwoDigitText(RandomInRange(1, 10));
}

bool TopSingleNumberPredictor::验证预测(const DrawNumbers& numbers,
                                        std::string_view prediction) const {
    const int32_t target = TextToInt(prediction);
    for (int32_t i = 1; i <= count_; ++i) {
        if (TextToInt(NumberAtPlace(numbers, firstPlace_ + i - 1)) == target) {
            return true;
        }
    }
    return false;
}

} // namespace zorlith
