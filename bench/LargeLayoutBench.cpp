// Page flips of a full layout, 11 pages of 100 buttons each with three pictures of its own, as
// a panel runs it: the first visit of a page (nothing of it decoded or composed yet) and a page
// visited before, after every page of the layout has been shown once. Each is timed from the
// flip to the moment the page's last button is on the screen (see BenchPanel::Present).
#include <benchmark/benchmark.h>

#include <chrono>

#include "PanelFixture.h"
#include "Spread.h"
#include "model/PanelState.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPages = BenchLayoutFolder::kLargePages;

void RunLargeFlips(benchmark::State& state, bool revisit) {
    BenchPanel panel(BenchLayoutFolder::Shape::Large);
    if (!panel.Error().empty()) {
        state.SkipWithError(panel.Error().c_str());
        return;
    }
    // Started on page 0. A revisit comes after every page was shown once.
    for (int page = 1; revisit && page <= kPages; ++page) {
        if (!panel.FlipTo(page % kPages)) {
            state.SkipWithError("the page was not presented");
            return;
        }
    }
    int page = 0;
    for (auto _ : state) {
        page = page % (kPages - 1) + 1;
        panel.Settle();
        const Clock::time_point start = Clock::now();
        const bool shown = panel.FlipTo(page);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!shown || !panel.ScreenShowsBuffer(panel.LastButtonRect())) {
            state.SkipWithError("the screen does not show the new page");
            break;
        }
    }
}

/// Pages 1 to 10, each for the first time.
void BM_LargeLayoutFlipCold(benchmark::State& state) {
    RunLargeFlips(state, false);
}
BENCHMARK(BM_LargeLayoutFlipCold)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kPages - 1)
    ->Apply(WithMinMax);

/// Pages 1 to 10 again, every page of the layout shown before.
void BM_LargeLayoutFlipRevisit(benchmark::State& state) {
    RunLargeFlips(state, true);
}
BENCHMARK(BM_LargeLayoutFlipRevisit)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kPages - 1)
    ->Apply(WithMinMax);

}  // namespace
