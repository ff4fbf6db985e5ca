#include "plan/plan_name_parser.h"

#include "draws/number_text.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <array>
#include <pcre2.h>

namespace zorlith {
namespace {

constexpr std::array<const char*, 5> kPatterns = {
    R"((冠|亚|季)军(\d+)胆(\d+)期)",
    R"(前(\d+)名((?:\d+\*)+\d)注)",
    R"((\d+)号车位置)",
    R"((\d+|冠|亚|季)(?:号|军)(单双|大小)(?:\d+期)?)",
    R"((冠亚)和值(单双|大小))",
};

int32_t PlaceOfWord(std::string_view word) {
    if (word == "冠") {
        return 1;
    }
    if (word == "亚") {
        return 2;
    }
    if (word == "季") {
        return 3;
    }
    return TextToInt(word);
}

class Match {
public:
    Match(const pcre2_code* code, std::string_view subject)
        : data_(pcre2_match_data_create_from_pattern(code, nullptr)), subject_(subject) {
        matched_ = data_ != nullptr &&
                   pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                               0, PCRE2_ANCHORED | PCRE2_ENDANCHORED, data_, nullptr) > 0;
    }
    ~Match() { pcre2_match_data_free(data_); }
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    bool matched() const { return matched_; }

    std::string_view capture(uint32_t group) const {
        const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data_);
        const PCRE2_SIZE start = offsets[2 * group];
        const PCRE2_SIZE end = offsets[2 * group + 1];
        if (start == PCRE2_UNSET || end < start) {
            return {};
        }
        return subject_.substr(start, end - start);
    }

private:
    pcre2_match_data* data_;
    std::string_view subject_;
    bool matched_ = false;
};

} // namespace

struct PlanNamePatterns::Compiled {
    std::array<pcre2_code*, kPatterns.size()> codes{};

    ~Compiled() {
        for (pcre2_code* code : codes) {
            pcre2_code_free(code);
        }
    }
};

PlanNamePatterns::PlanNamePatterns() : compiled_(std::make_unique<Compiled>()) {
    for (size_t i = 0; i < kPatterns.size(); ++i) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        compiled_->codes[i] =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPatterns[i]), PCRE2_ZERO_TERMINATED,
                          PCRE2_UTF, &error, &offset, nullptr);
    }
}

PlanNamePatterns::~PlanNamePatterns() = default;

std::optional<RecognisedPlan> PlanNamePatterns::recognise(std::string_view planName) const {
    if (planName.empty()) {
        return std::nullopt;
    }
    const auto& codes = compiled_->codes;
    if (Match m(codes[0], planName); m.matched()) {
        return RecognisedPlan{
            PlanKind::PlaceNumberSet, PlaceOfWord(m.capture(1)), TextToInt(m.capture(2)), {}};
    }
    if (Match m(codes[1], planName); m.matched()) {
        return RecognisedPlan{PlanKind::TopPlacesCombo, 1, 0, std::string(m.capture(2))};
    }
    if (Match m(codes[2], planName); m.matched()) {
        return RecognisedPlan{PlanKind::CarPosition, TextToInt(m.capture(1)), 5, {}};
    }
    if (Match m(codes[3], planName); m.matched()) {
        const int32_t place = PlaceOfWord(m.capture(1));
        if (place <= 0) {
            return std::nullopt;
        }
        const bool oddEven = m.capture(2) == "单双";
        return RecognisedPlan{
            oddEven ? PlanKind::PlaceOddEven : PlanKind::PlaceBigSmall, place, 0, {}};
    }
    if (Match m(codes[4], planName); m.matched()) {
        const bool oddEven = m.capture(2) == "单双";
        return RecognisedPlan{oddEven ? PlanKind::SumOddEven : PlanKind::SumBigSmall, 1, 2, {}};
    }
    if (planName == "前5独胆") {
        return RecognisedPlan{PlanKind::TopSingleNumber, 1, 5, {}};
    }
    return std::nullopt;
}

const Predictor& PredictorPrototypes::configure(const RecognisedPlan& plan,
                                                std::string_view slotName, int32_t cycleIssues) {
    switch (plan.kind) {
    case PlanKind::PlaceNumberSet:
        placeNumberSet.置参数(plan.subject, plan.count, slotName, cycleIssues);
        return placeNumberSet;
    case PlanKind::TopPlacesCombo:
        topPlacesCombo.置参数(plan.subject, plan.groupSizes, slotName);
        return topPlacesCombo;
    case PlanKind::CarPosition:
        carPosition.置参数(plan.subject, plan.count, slotName, cycleIssues);
        return carPosition;
    case PlanKind::PlaceOddEven:
        placeOddEven.置参数(plan.subject, slotName);
        return placeOddEven;
    case PlanKind::PlaceBigSmall:
        placeBigSmall.置参数(plan.subject, slotName);
        return placeBigSmall;
    case PlanKind::SumOddEven:
        sumOddEven.置参数(plan.subject, plan.count, slotName);
        return sumOddEven;
    case PlanKind::SumBigSmall:
        sumBigSmall.置参数(plan.subject, plan.count, slotName);
        return sumBigSmall;
    case PlanKind::TopSingleNumber:
        topSingleNumber.置参数(plan.subject, plan.count, slotName);
        return topSingleNumber;
    }
    return placeOddEven;
}

} // namespace zorlith
