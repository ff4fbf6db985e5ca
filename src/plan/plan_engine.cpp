#include "plan/plan_engine.h"

#include "draws/number_text.h"
#include "draws/text_split.h"
#include "plan/name_seed.h"
#include "predict/random_source.h"

#include <algorithm>

namespace zorlith {

PlanSlot::PlanSlot(const PlanSlot& other)
    : name(other.name), predictor(other.predictor ? other.predictor->clone() : nullptr),
      nameSeed(other.nameSeed), cycles(other.cycles), displayMode(other.displayMode),
      cycleIssues(other.cycleIssues) {}

PlanSlot& PlanSlot::operator=(const PlanSlot& other) {
    if (this != &other) {
        *this = PlanSlot(other);
    }
    return *this;
}

PlanEngine::PlanEngine(const Clock& clock) : clock_(clock) {}

void PlanEngine::reset() {
    planTitle_.clear();
    planSeed_ = 0;
    slots_.clear();
    historyLimit_ = 0;
    hitPercent_ = 0;
    wipeOnLosingStreak_ = 1;
}

void PlanEngine::clearCycles() {
    for (auto& slot : slots_) {
        slot.cycles.clear();
    }
}

void PlanEngine::setWipeOnLosingStreak(int32_t flag) {
    wipeOnLosingStreak_ = flag;
}

void PlanEngine::setHitPercent(int32_t percent) {
    hitPercent_ = percent;
}

void PlanEngine::setCycleIssues(int32_t value, std::string_view slotName, int32_t onlyNamed) {
    if (onlyNamed == 0) {
        for (auto& slot : slots_) {
            slot.cycleIssues = value;
        }
        return;
    }
    if (const int32_t index = findSlot(slotName); index != 0) {
        slots_[static_cast<size_t>(index - 1)].cycleIssues = value;
    }
}

void PlanEngine::setPlanTitle(std::string_view title) {
    planTitle_ = title;
    planSeed_ = PlanSeed(title);
}

void PlanEngine::addSlot(const Predictor& predictor) {
    PlanSlot& slot = slots_.emplace_back();
    slot.predictor = predictor.clone();
    refreshSlot(slot);
}

int32_t PlanEngine::removeSlot(std::string_view slotName) {
    const int32_t index = findSlot(slotName);
    if (index == 0) {
        return 0;
    }
    slots_.erase(slots_.begin() + (index - 1));
    return 1;
}

void PlanEngine::refreshSlot(PlanSlot& slot) const {
    slot.name = slot.predictor->取名称();
    slot.displayMode = slot.predictor->取显示方式();
    slot.cycleIssues = slot.predictor->取周期期数();
    slot.nameSeed = NameSeed(slot.name);
}

void PlanEngine::setHistoryLimit(int32_t limit) {
    historyLimit_ = limit;
}

bool PlanEngine::parseNumbers(std::string_view numbersText, DrawNumbers& out) {
    out = SplitText(numbersText, ",");
    return out.size() == 10;
}

std::string PlanEngine::issueText(int32_t issue, int32_t offset) {
    return IntToText(int64_t{issue} + offset);
}

bool PlanEngine::feedDraw(std::string_view issue, std::string_view numbers, int32_t seedAddend,
                          std::string_view nextNumbers) {
    DrawNumbers parsed;
    if (!parseNumbers(numbers, parsed)) {
        return false;
    }
    DrawNumbers next;
    if (!nextNumbers.empty() && !parseNumbers(nextNumbers, next)) {
        return false;
    }
    feedParsedDraw(issue, numbers, parsed, seedAddend, next);
    return true;
}

void PlanEngine::feedParsedDraw(std::string_view issue, std::string_view numbersText,
                                const DrawNumbers& numbers, int32_t seedAddend,
                                const DrawNumbers& nextNumbers) {
    if (seedAddend == 0) {
        return;
    }
    const int32_t issueNumber = TextToInt(issue);
    const int32_t seed = WrappingAdd(WrappingAdd(planSeed_, issueNumber), seedAddend);
    for (auto& slot : slots_) {
        if (slot.cycles.empty()) {
            openCycle(slot, WrappingAdd(issueNumber, -1), seed, nextNumbers);
        }
        PlanCycle& cycle = slot.cycles.back();
        cycle.checkedIssue = issue;
        cycle.checkedNumbers = numbersText;
        const bool hit = slot.predictor->验证预测(numbers, cycle.prediction);
        cycle.state = hit ? kCycleHit : kCycleMiss;
        if (hit) {
            openCycle(slot, issueNumber, seed, nextNumbers);
        } else if (issueNumber == TextToInt(cycle.lastIssue)) {
            if (wipeOnLosingStreak_ != 0 && countRecent(slot, kCycleMiss, 3, 2, 0)) {
                slot.cycles.clear();
            }
            openCycle(slot, issueNumber, seed, nextNumbers);
        } else {
            cycle.state = kCycleOpen;
        }
    }
}

bool PlanEngine::countRecent(const PlanSlot& slot, int32_t state, int32_t window, int32_t needed,
                             int32_t consecutive) const {
    const int32_t count = slot.cycleCount();
    if (count < needed) {
        return false;
    }
    int32_t found = 0;
    const int32_t oldest = std::max(1, count - window + 1);
    for (int32_t i = count; i >= oldest; --i) {
        if (slot.cycles[static_cast<size_t>(i - 1)].state == state) {
            if (++found == needed) {
                return true;
            }
        } else if (consecutive == 1) {
            return false;
        }
    }
    return false;
}

void PlanEngine::openCycle(PlanSlot& slot, int32_t baseIssue, int32_t seed,
                           const DrawNumbers& nextNumbers) {
    PlanCycle cycle;
    cycle.firstIssue = issueText(baseIssue, 1);
    cycle.lastIssue = issueText(baseIssue, slot.cycleIssues);
    if (nextNumbers.empty()) {
        cycle.prediction = slot.predictor->取下期预测(WrappingAdd(seed, slot.nameSeed));
    } else {
        int32_t percent = hitPercent_;
        if (countRecent(slot, kCycleMiss, 2, 2, 1)) {
            percent = 100;
        } else if (countRecent(slot, kCycleHit, 5, 5, 1)) {
            percent = 0;
        }
        const bool wantHit = RandomInRange(0, 100) <= percent;
        for (int32_t tries = 1; tries <= kMaxReplayTries; ++tries) {
            seed = WrappingAdd(seed, uptime());
            cycle.prediction = slot.predictor->取下期预测(WrappingAdd(seed, tries));
            if (slot.predictor->验证预测(nextNumbers, cycle.prediction) == wantHit) {
                break;
            }
        }
    }
    if (historyLimit_ != 0 && slot.cycleCount() >= historyLimit_) {
        slot.cycles.erase(slot.cycles.begin());
    }
    slot.cycles.push_back(std::move(cycle));
}

int32_t PlanEngine::findSlot(std::string_view name) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].name == name) {
            return static_cast<int32_t>(i + 1);
        }
    }
    return 0;
}

std::string PlanEngine::slotNameAt(int32_t index) const {
    return validIndex(index) ? slotAt(index).name : std::string();
}

std::string PlanEngine::renderSlotAt(int32_t index) const {
    return validIndex(index) ? renderSlot(slotAt(index), planTitle_) : std::string();
}

std::string PlanEngine::renderPlan(std::string_view name) const {
    return renderSlotAt(findSlot(name));
}

void PlanEngine::copySlotAt(int32_t index, PlanSlot& out) const {
    if (validIndex(index)) {
        out = slotAt(index);
    }
}

void PlanEngine::copySlot(std::string_view name, PlanSlot& out) const {
    copySlotAt(findSlot(name), out);
}

std::string PlanEngine::currentPredictionAt(int32_t index) const {
    if (!validIndex(index) || slotAt(index).cycles.empty()) {
        return {};
    }
    return slotAt(index).cycles.back().prediction;
}

std::string PlanEngine::currentPrediction(std::string_view name) const {
    return currentPredictionAt(findSlot(name));
}

bool PlanEngine::configure(std::string_view planName, std::string_view slotName,
                           int32_t cycleIssues) {
    const auto plan = patterns_.recognise(planName);
    if (!plan) {
        return false;
    }
    addSlot(prototypes_.configure(*plan, slotName, cycleIssues));
    setCycleIssues(cycleIssues, slotName, 1);
    return true;
}

} // namespace zorlith
