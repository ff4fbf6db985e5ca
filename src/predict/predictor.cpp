#include "predict/predictor.h"

#include <iostream>

namespace zorlith {
namespace {

MessageSink& PredictorMessageSink() {
    static MessageSink sink;
    return sink;
}

void ReportProgrammingError(const std::string& text) {
    if (const auto& sink = PredictorMessageSink()) {
        sink(text);
    } else {
        std::cerr << text << '\n';
    }
}

} // namespace

void SetPredictorMessageSink(MessageSink sink) {
    PredictorMessageSink() = std::move(sink);
}

std::string NumberAtPlace(const DrawNumbers& numbers, int32_t place) {
    const auto count = static_cast<int64_t>(numbers.size());
    const int64_t index = place > 0 ? place : count + place + 1;
    if (place == 0 || index < 1 || index > count) {
        return {};
    }
    return numbers[static_cast<size_t>(index - 1)];
}

std::string TwoDigitText(int32_t n) {
    return n >= 10 ? std::to_string(n) : "0" + std::to_string(n);
}

std::unique_ptr<Predictor> Predictor::clone() const {
    return std::unique_ptr<Predictor>(new Predictor(*this));
}

std::string Predictor::取下期预测(int32_t) const {
    ReportProgrammingError("错误！接口类函数 取下期预测（） 被直接调用");
    return {};
}

bool Predictor::验证预测(const DrawNumbers&, std::string_view) const {
    ReportProgrammingError("错误！接口类函数 验证预测 被直接调用");
    return false;
}

} // namespace zorlith
