#include "cli/offline_commands.h"

#include "cli/command_line.h"
#include "cli/draw_rows_file.h"
#include "plan/plan_presenter.h"
#include "plan/plan_text.h"
#include "startup/plan_setup.h"

#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>

namespace zorlith::cli {
namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUint32Max = std::numeric_limits<uint32_t>::max();

// Keeps the last plan text the presenter wrote.
class CapturedPlanView final : public PlanView {
public:
    void replacePlanText(const std::string& text) override { text_ = text; }
    void moveCaretToEnd() override {}
    void pumpEvents() override {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Reads an integer option into `target`; false (with the refusal) when it is malformed.
bool ReadInteger(const Options& options, std::string_view name, int64_t min, int64_t max,
                 int64_t& target, UsageError& error) {
    if (!options.has(name)) {
        return true;
    }
    const auto value = ParseWholeInteger(options.value(name), min, max);
    if (!value) {
        error.message = "option --" + std::string(name) + " needs an integer from " +
                        std::to_string(min) + " to " + std::to_string(max) + ", not \"" +
                        options.value(name) + "\"";
        return false;
    }
    target = *value;
    return true;
}

bool RequireOptions(const Options& options, std::initializer_list<std::string_view> names,
                    UsageError& error) {
    for (std::string_view name : names) {
        if (!options.has(name)) {
            error.message = "option --" + std::string(name) + " is required";
            return false;
        }
    }
    return true;
}

// An engine with the plan's slot; null (with the refusal) for a name no plan has.
std::unique_ptr<PlanEngine> EngineForPlan(const Clock& clock, const std::string& planName,
                                          const PlanSettings* settings, UsageError& error) {
    auto engine = std::make_unique<PlanEngine>(clock);
    const bool recognised = settings ? ConfigurePlan(*engine, planName, *settings)
                                     : engine->configure(planName, planName, 1);
    if (!recognised) {
        error.message = "unrecognised plan name: \"" + planName + "\"";
        return nullptr;
    }
    return engine;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        return std::nullopt;
    }
    return contents.str();
}

} // namespace

int Refuse(std::ostream& err, std::string_view message) {
    // Messages quote what the user gave; control characters there must not break the line.
    std::string line(message);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    err << "zorlith-pk10-cli: " << line << '\n';
    return 2;
}

int RunPredict(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    UsageError error;
    const auto options = Options::Parse(args, {"plan", "seed"}, {}, error);
    int64_t seed = 0;
    if (!options || !RequireOptions(*options, {"plan", "seed"}, error) ||
        !ReadInteger(*options, "seed", kInt32Min, kUint32Max, seed, error)) {
        return Refuse(err, error.message);
    }
    const SystemClock clock;
    const auto engine = EngineForPlan(clock, options->value("plan"), nullptr, error);
    if (!engine) {
        return Refuse(err, error.message);
    }
    out << engine->slots().front().predictor->取下期预测(static_cast<int32_t>(seed)) << '\n';
    return 0;
}

int RunVerify(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    UsageError error;
    const auto options = Options::Parse(args, {"plan", "numbers", "prediction"}, {}, error);
    if (!options || !RequireOptions(*options, {"plan", "numbers", "prediction"}, error)) {
        return Refuse(err, error.message);
    }
    const std::string numbersText = options->value("numbers");
    if (!IsDrawNumbersText(numbersText)) {
        return Refuse(err, "option --numbers needs ten numbers 01 to 10 joined by \",\", not \"" +
                               numbersText + "\"");
    }
    const SystemClock clock;
    const auto engine = EngineForPlan(clock, options->value("plan"), nullptr, error);
    if (!engine) {
        return Refuse(err, error.message);
    }
    DrawNumbers numbers;
    PlanEngine::parseNumbers(numbersText, numbers);
    const bool hit =
        engine->slots().front().predictor->验证预测(numbers, options->value("prediction"));
    out << (hit ? "hit" : "miss") << '\n';
    return 0;
}

int RunReplay(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    UsageError error;
    const auto options = Options::Parse(
        args,
        {"plan", "draws", "hit-percent", "wipe", "cycle-issues", "history-limit", "fixed-uptime"},
        {}, error);
    PlanSettings settings;
    int64_t hitPercent = settings.hitPercent;
    int64_t wipe = settings.wipeOnLosingStreak;
    int64_t cycleIssues = settings.cycleIssues;
    int64_t historyLimit = settings.historyLimit;
    int64_t fixedUptime = -1;
    if (!options || !RequireOptions(*options, {"plan", "draws"}, error) ||
        !ReadInteger(*options, "hit-percent", kInt32Min, kInt32Max, hitPercent, error) ||
        !ReadInteger(*options, "wipe", 0, 1, wipe, error) ||
        !ReadInteger(*options, "cycle-issues", 1, kInt32Max, cycleIssues, error) ||
        !ReadInteger(*options, "history-limit", 0, kInt32Max, historyLimit, error) ||
        !ReadInteger(*options, "fixed-uptime", 0, kUint32Max, fixedUptime, error)) {
        return Refuse(err, error.message);
    }
    settings = PlanSettings{static_cast<int32_t>(cycleIssues), static_cast<int32_t>(historyLimit),
                            static_cast<int32_t>(hitPercent), static_cast<int32_t>(wipe)};

    const std::string path = options->value("draws");
    const auto text = ReadWholeFile(path);
    if (!text) {
        return Refuse(err, "cannot read the draws file \"" + path + "\"");
    }
    const auto rows = ParseDrawRowsText(*text, path, error);
    if (!rows) {
        return Refuse(err, error.message);
    }

    std::unique_ptr<Clock> clock;
    if (fixedUptime >= 0) {
        clock = std::make_unique<FixedUptimeClock>(static_cast<uint32_t>(fixedUptime));
    } else {
        clock = std::make_unique<SystemClock>();
    }
    const auto engine = EngineForPlan(*clock, options->value("plan"), &settings, error);
    if (!engine) {
        return Refuse(err, error.message);
    }
    DrawHistory history;
    BuildDrawHistory(static_cast<int32_t>(rows->size()), *rows, history);
    CapturedPlanView view;
    PlanPresenter presenter(*engine, *clock);
    presenter.setup(view, options->value("plan"));
    presenter.replay(history, history.size());
    out << ToConsoleLineEnds(view.text());
    return 0;
}

} // namespace zorlith::cli
