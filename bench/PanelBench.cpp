// What a user of the panel feels: a page flip of a full page, warm and with every picture to be
// decoded again, and the redraw after a lamp-state message. Each is timed from the call to the
// moment the last button is on the screen (see BenchPanel::Present).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>

#include "PanelFixture.h"
#include "Spread.h"
#include "model/PanelState.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// A lamp bitmap in which every `period`-th button of both pages, starting at `first`, is lit.
std::array<std::uint8_t, LampBitmap::kBytes> LampStates(int first, int period) {
    LampBitmap lamps;
    for (int page = 0; page < BenchLayoutFolder::kPages; ++page) {
        for (int button = first; button < BenchLayoutFolder::kButtons; button += period) {
            lamps.Set(page * 100 + button, true);
        }
    }
    std::array<std::uint8_t, LampBitmap::kBytes> bytes{};
    std::copy(lamps.Bytes(), lamps.Bytes() + LampBitmap::kBytes, bytes.begin());
    return bytes;
}

/// Flips between the two full pages as a released button with a page flip does, and waits
/// until the new page's last button is on the screen.
void RunPageFlips(benchmark::State& state, bool coldCache) {
    BenchPanel panel;
    if (!panel.Error().empty()) {
        state.SkipWithError(panel.Error().c_str());
        return;
    }
    MainDialog& dialog = panel.Dialog();
    PanelState& shared = panel.Document().State();
    shared.Lamps.Apply(LampStates(0, 3).data());
    const auto flip = [&] { return panel.FlipTo(1 - shared.CurrentPage); };
    // Both pages once, so that the first measured flip is like every other.
    if (!flip() || !flip()) {
        state.SkipWithError("the page was not presented");
        return;
    }
    for (auto _ : state) {
        if (coldCache) {
            dialog.View().Renderer().Cache().Clear();
        }
        panel.Settle();
        const Clock::time_point start = Clock::now();
        const bool shown = flip();
        state.SetIterationTime(SecondsSince(start));
        if (!shown || !panel.ScreenShowsBuffer(panel.LastButtonRect())) {
            state.SkipWithError("the screen does not show the new page");
            break;
        }
    }
}

void BM_PageFlipWarm(benchmark::State& state) {
    RunPageFlips(state, false);
}
BENCHMARK(BM_PageFlipWarm)->Unit(benchmark::kMillisecond)->UseManualTime()->Apply(WithMinMax);

void BM_PageFlipCold(benchmark::State& state) {
    RunPageFlips(state, true);
}
BENCHMARK(BM_PageFlipCold)->Unit(benchmark::kMillisecond)->UseManualTime()->Apply(WithMinMax);

/// A lamp-state message as the link applies it: the new bitmap, then every button of the page
/// redrawn in its look. Alternates between two states so that half the buttons change each time.
void BM_LampRedraw(benchmark::State& state) {
    BenchPanel panel;
    if (!panel.Error().empty()) {
        state.SkipWithError(panel.Error().c_str());
        return;
    }
    MainDialog& dialog = panel.Dialog();
    PanelState& shared = panel.Document().State();
    const std::array<std::array<std::uint8_t, LampBitmap::kBytes>, 2> messages = {LampStates(0, 2),
                                                                                  LampStates(1, 2)};
    std::size_t next = 0;
    for (auto _ : state) {
        panel.Settle();
        const Clock::time_point start = Clock::now();
        shared.Lamps.Apply(messages[next].data());
        dialog.View().DrawButtons(shared.CurrentPage);
        const bool shown = panel.Present(panel.LastButtonRect());
        state.SetIterationTime(SecondsSince(start));
        if (!shown || !panel.ScreenShowsBuffer(panel.LastButtonRect())) {
            state.SkipWithError("the screen does not show the new lamp states");
            break;
        }
        next = 1 - next;
    }
}
BENCHMARK(BM_LampRedraw)->Unit(benchmark::kMillisecond)->UseManualTime()->Apply(WithMinMax);

}  // namespace
