#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

// The ten drawn cars in place order, element 0 the champion, each a two-digit text.
using DrawNumbers = std::vector<std::string>;

// Receives the texts of the programming-error message boxes; the window shows them, tests
// capture them. Without a sink they go to standard error.
using MessageSink = std::function<void(const std::string& text)>;
void SetPredictorMessageSink(MessageSink sink);

// The element at a 1-based place; negative places count from the end (-1 is the last). Place 0
// and places beyond the array give the empty text.
std::string NumberAtPlace(const DrawNumbers& numbers, int32_t place);

// "07" for 7, "10" for 10.
std::string TwoDigitText(int32_t n);

// The prediction contract. The plain base is the plan template's placeholder: asking it for a
// prediction is a programming error that is reported and answered with "" or false.
class Predictor {
public:
    Predictor() = default;
    virtual ~Predictor() = default;

    virtual std::unique_ptr<Predictor> clone() const;

    int32_t 取周期期数() const { return cycleIssues_; }
    void 置周期期数(int32_t value) { cycleIssues_ = value; }
    int32_t 取显示方式() const { return displayMode_; }
    void 置显示方式(int32_t value) { displayMode_ = value; }
    std::string 取名称() const { return name_; }
    void 置名称(std::string_view value) { name_ = value; }

    virtual std::string 取下期预测(int32_t seed) const;
    virtual bool 验证预测(const DrawNumbers& numbers, std::string_view prediction) const;

protected:
    Predictor(const Predictor&) = default;
    Predictor& operator=(const Predictor&) = default;

private:
    std::string name_;
    int32_t cycleIssues_ = 3;
    int32_t displayMode_ = 1;
};

// Gives each kind its clone from its copy constructor.
template <typename Kind, typename Base = Predictor> class PredictorKind : public Base {
public:
    std::unique_ptr<Predictor> clone() const override {
        return std::make_unique<Kind>(static_cast<const Kind&>(*this));
    }
};

} // namespace zorlith
