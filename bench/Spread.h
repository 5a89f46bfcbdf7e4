#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

/// Adds the least and the largest of the repetitions to the aggregates (mean, median, spread),
/// so that a figure reads as its median with min and max: BENCHMARK(...)->Apply(WithMinMax).
inline void WithMinMax(benchmark::internal::Benchmark* bench) {
    bench
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) {
            return *std::max_element(v.begin(), v.end());
        });
}
