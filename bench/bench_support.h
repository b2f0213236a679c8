#pragma once
// What the selection benchmarks share: crossing queries at random places of
// a drawing already built and shown.
#include <benchmark/benchmark.h>

#include <random>

#include <aced.h>

namespace benchsupport {

// Times acedSSGet "c" (then acedSSFree) with square windows of side
// 2 * half at random places of a side x side drawing, after a first query
// that builds the spatial index; reports the mean number of members found.
inline void CrossingQueries(benchmark::State& state, double side, double half) {
    ads_name ss;
    const ads_point warm = {0, 0, 0};
    if (acedSSGet(L"c", warm, warm, nullptr, ss) == RTNORM) acedSSFree(ss);  // builds the index
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> at(0.0, side);
    long found = 0;
    for (auto _ : state) {
        const double x = at(rng), y = at(rng);
        const ads_point a = {x - half, y - half, 0.0};
        const ads_point b = {x + half, y + half, 0.0};
        if (acedSSGet(L"c", a, b, nullptr, ss) == RTNORM) {
            long count = 0;
            acedSSLength(ss, &count);
            found += count;
            acedSSFree(ss);
        }
    }
    state.counters["members"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

}  // namespace benchsupport
