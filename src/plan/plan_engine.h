#pragma once

#include "plan/plan_name_parser.h"
#include "predict/clock.h"
#include "predict/predictor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

enum CycleState : int32_t { kCycleOpen = 0, kCycleMiss = 1, kCycleHit = 2 };

// One prediction played over consecutive issues.
struct PlanCycle {
    std::string firstIssue;
    std::string lastIssue;
    int32_t state = kCycleOpen;
    std::string prediction;
    std::string checkedIssue;
    std::string checkedNumbers;

    bool operator==(const PlanCycle&) const = default;
};

// A named plan with its own predictor clone and its cycles, oldest first; the last cycle is the
// current one.
struct PlanSlot {
    std::string name;
    std::unique_ptr<Predictor> predictor;
    int32_t nameSeed = 0;
    std::vector<PlanCycle> cycles;
    int32_t displayMode = 0;
    int32_t cycleIssues = 0;

    PlanSlot() = default;
    PlanSlot(const PlanSlot& other);
    PlanSlot& operator=(const PlanSlot& other);
    PlanSlot(PlanSlot&&) noexcept = default;
    PlanSlot& operator=(PlanSlot&&) noexcept = default;
    ~PlanSlot() = default;

    int32_t cycleCount() const { return static_cast<int32_t>(cycles.size()); }
};

// Every plan the tool runs and everything it remembers about them. Indexes are 1-based.
class PlanEngine {
public:
    // Replayed cycles search for a prediction with the wanted outcome; the search is bounded
    // so that a plan that always hits (or never can) cannot spin forever. At the bound the
    // cycle keeps the last prediction tried.
    static constexpr int32_t kMaxReplayTries = 1000;

    explicit PlanEngine(const Clock& clock);

    void reset();
    void clearCycles();
    void setWipeOnLosingStreak(int32_t flag);
    void setHitPercent(int32_t percent);
    void setCycleIssues(int32_t value, std::string_view slotName, int32_t onlyNamed);
    void setPlanTitle(std::string_view title);
    void addSlot(const Predictor& predictor);
    int32_t removeSlot(std::string_view slotName);
    void refreshSlot(PlanSlot& slot) const;
    void setHistoryLimit(int32_t limit);
    static bool parseNumbers(std::string_view numbersText, DrawNumbers& out);
    static std::string issueText(int32_t issue, int32_t offset);
    std::string renderSlot(const PlanSlot& slot, std::string_view title) const;
    bool feedDraw(std::string_view issue, std::string_view numbers, int32_t seedAddend,
                  std::string_view nextNumbers);
    void feedParsedDraw(std::string_view issue, std::string_view numbersText,
                        const DrawNumbers& numbers, int32_t seedAddend,
                        const DrawNumbers& nextNumbers);
    bool countRecent(const PlanSlot& slot, int32_t state, int32_t window, int32_t needed,
                     int32_t consecutive) const;
    void openCycle(PlanSlot& slot, int32_t baseIssue, int32_t seed, const DrawNumbers& nextNumbers);
    int32_t findSlot(std::string_view name) const;
    std::string slotNameAt(int32_t index) const;
    std::string getPlanTitle() const { return planTitle_; }
    int32_t getSlotCount() const { return static_cast<int32_t>(slots_.size()); }
    std::string renderSlotAt(int32_t index) const;
    std::string renderPlan(std::string_view name) const;
    void copySlotAt(int32_t index, PlanSlot& out) const;
    void copySlot(std::string_view name, PlanSlot& out) const;
    std::string currentPredictionAt(int32_t index) const;
    std::string currentPrediction(std::string_view name) const;
    bool configure(std::string_view planName, std::string_view slotName, int32_t cycleIssues);

    int32_t planSeed() const { return planSeed_; }
    int32_t historyLimit() const { return historyLimit_; }
    int32_t hitPercent() const { return hitPercent_; }
    int32_t wipeOnLosingStreak() const { return wipeOnLosingStreak_; }
    const std::vector<PlanSlot>& slots() const { return slots_; }

private:
    bool validIndex(int32_t index) const { return index >= 1 && index <= getSlotCount(); }
    const PlanSlot& slotAt(int32_t index) const { return slots_[static_cast<size_t>(index - 1)]; }
    int32_t uptime() const { return static_cast<int32_t>(clock_.uptimeMs()); }

    const Clock& clock_;
    PlanNamePatterns patterns_;
    PredictorPrototypes prototypes_;

    std::string planTitle_;
    int32_t planSeed_ = 0;
    std::vector<PlanSlot> slots_;
    int32_t historyLimit_ = 0;
    int32_t hitPercent_ = 80;
    int32_t wipeOnLosingStreak_ = 1;
};

} // namespace zorlith
