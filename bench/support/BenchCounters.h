#pragma once

#include "ChildProcess.h"

#include <benchmark/benchmark.h>

#include <vector>

// The counters of a benchmark that measures its own floor in the same run:
// the medians of its times and of the floor's, in milliseconds, and their
// ratio (0 when the floor took no time).
inline void setFloorCounters(
    benchmark::State& state, const std::vector<double>& seconds, const std::vector<double>& floorSeconds)
{
    const double ours = median(seconds);
    const double floor = median(floorSeconds);
    state.counters["median_ms"] = ours * 1000;
    state.counters["floor_ms"] = floor * 1000;
    state.counters["ratio"] = floor > 0 ? ours / floor : 0;
}
