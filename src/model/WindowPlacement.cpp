#include "model/WindowPlacement.h"

#include <algorithm>
#include <numeric>

Rect PlaceWithin(const Rect& area, const Rect& window) {
    Rect placed = window;
    placed.width = std::min(window.width, area.width);
    placed.height = std::min(window.height, area.height);
    placed.x = std::clamp(window.x, area.x, area.x + area.width - placed.width);
    placed.y = std::clamp(window.y, area.y, area.y + area.height - placed.height);
    return placed;
}

namespace {

/// Controls that overlap from top to bottom form one band; the bands lie one below the other.
struct Band {
    int top = 0;
    int bottom = 0;
    std::vector<std::size_t> members;
};

std::vector<Band> BandsOf(const std::vector<RowSpan>& controls) {
    std::vector<std::size_t> order(controls.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&controls](std::size_t a, std::size_t b) {
        return controls[a].top < controls[b].top;
    });
    std::vector<Band> bands;
    for (const std::size_t index : order) {
        const RowSpan& control = controls[index];
        const int bottom = control.top + std::max(control.height, 0);
        if (!bands.empty() && control.top < bands.back().bottom) {
            bands.back().bottom = std::max(bands.back().bottom, bottom);
        } else {
            bands.push_back(Band{control.top, bottom, {}});
        }
        bands.back().members.push_back(index);
    }
    return bands;
}

}  // namespace

CompactedRows CompactRows(const std::vector<RowSpan>& controls, int height, int available) {
    CompactedRows compacted;
    compacted.height = height;
    for (const RowSpan& control : controls) {
        compacted.tops.push_back(control.top);
    }
    if (height <= available || controls.empty()) {
        return compacted;
    }
    const std::vector<Band> bands = BandsOf(controls);
    // gaps[0] is the margin above the first band, gaps[i] the room above band i, the last one
    // the margin below the last band.
    std::vector<int> gaps;
    gaps.push_back(bands.front().top);
    for (std::size_t i = 1; i < bands.size(); ++i) {
        gaps.push_back(bands[i].top - bands[i - 1].bottom);
    }
    gaps.push_back(height - bands.back().bottom);

    int needed = height - available;
    std::vector<int> cut(gaps.size(), 0);
    const auto shrink = [&](const std::vector<std::size_t>& which) {
        while (needed > 0) {
            std::size_t widest = gaps.size();
            for (const std::size_t i : which) {
                const int left = gaps[i] - cut[i];
                if (left > kLeastRowGap &&
                    (widest == gaps.size() || left > gaps[widest] - cut[widest])) {
                    widest = i;
                }
            }
            if (widest == gaps.size()) {
                return;
            }
            ++cut[widest];
            --needed;
        }
    };
    std::vector<std::size_t> between(bands.size() - 1);
    std::iota(between.begin(), between.end(), std::size_t{1});
    shrink(between);
    shrink({0, gaps.size() - 1});
    // Each band moves up by what the room above it gave.
    int shift = 0;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        shift += cut[i];
        for (const std::size_t member : bands[i].members) {
            compacted.tops[member] = controls[member].top - shift;
        }
    }
    compacted.height = height - std::accumulate(cut.begin(), cut.end(), 0);
    return compacted;
}
