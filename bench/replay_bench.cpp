// The start-up replay of 50 real draws, plan text included, for every plan kind.
#include "draws/draw_history.h"
#include "plan/plan_presenter.h"
#include "plan/plan_text.h"
#include "predict/random_source.h"
#include "startup/plan_setup.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>

namespace {

using namespace zorlith;

// The newest 50 draws of the bundled real draws, newest first, with fixed seeds.
DrawHistory RealHistory() {
    std::ifstream file(ZORLITH_DATA_DIR "/pk10-draws.txt");
    std::deque<DrawRecord> all;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        DrawRecord record;
        fields >> record.issue;
        std::string number;
        while (fields >> number) {
            record.numbers += (record.numbers.empty() ? "" : ",") + number;
        }
        record.seed = static_cast<int32_t>(all.size() * 7919 + 1);
        all.push_front(record);
    }
    all.resize(50);
    return all;
}

class SilentView final : public PlanView {
public:
    void replacePlanText(const std::string& text) override { benchmark::DoNotOptimize(text); }
    void moveCaretToEnd() override {}
    void pumpEvents() override {}
};

void BM_StartUpReplay(benchmark::State& state, const char* plan) {
    const DrawHistory history = RealHistory();
    const FixedUptimeClock clock(123456);
    PlanEngine engine(clock);
    ConfigurePlan(engine, plan, PlanSettings{});
    SilentView view;
    PlanPresenter presenter(engine, clock);
    presenter.setup(view, plan);
    for (auto _ : state) {
        engine.clearCycles();
        presenter.replay(history, history.size());
    }
}

BENCHMARK_CAPTURE(BM_StartUpReplay, champion_odd_even, "冠军单双")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, place_big_small, "亚军大小")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, sum_odd_even, "冠亚和值单双")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, sum_big_small, "冠亚和值大小")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, place_number_set, "冠军5胆3期")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, car_position, "7号车位置")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, top_single_number, "前5独胆")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StartUpReplay, top_places_combo, "前3名5*5*5注")
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
