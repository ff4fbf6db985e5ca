#pragma once

#include "predict/attribute_predictors.h"
#include "predict/number_set_predictors.h"
#include "predict/top_places_combo_predictor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zorlith {

enum class PlanKind {
    PlaceNumberSet,
    TopPlacesCombo,
    CarPosition,
    PlaceOddEven,
    PlaceBigSmall,
    SumOddEven,
    SumBigSmall,
    TopSingleNumber,
};

// What a plan name asks for: `subject` is the place or the car, `count` the size of a number
// set, `groupSizes` the "*"-joined sizes of a combination.
struct RecognisedPlan {
    PlanKind kind;
    int32_t subject = 0;
    int32_t count = 0;
    std::string groupSizes;
};

// The five name patterns, compiled once. Names are matched as UTF-8 characters with ASCII
// digits only, and only as a whole.
class PlanNamePatterns {
public:
    PlanNamePatterns();
    ~PlanNamePatterns();
    PlanNamePatterns(const PlanNamePatterns&) = delete;
    PlanNamePatterns& operator=(const PlanNamePatterns&) = delete;

    std::optional<RecognisedPlan> recognise(std::string_view planName) const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled_;
};

// One prototype of each kind, in the order they are created at start-up. The parser
// reconfigures them; slots keep clones.
struct PredictorPrototypes {
    PlaceNumberSetPredictor placeNumberSet;
    TopPlacesComboPredictor topPlacesCombo;
    CarPositionPredictor carPosition;
    PlaceOddEvenPredictor placeOddEven;
    PlaceBigSmallPredictor placeBigSmall;
    SumOddEvenPredictor sumOddEven;
    SumBigSmallPredictor sumBigSmall;
    TopSingleNumberPredictor topSingleNumber;

    // Configures the prototype of the plan's kind and returns it.
    const Predictor& configure(const RecognisedPlan& plan, std::string_view slotName,
                               int32_t cycleIssues);
};

} // namespace zorlith
