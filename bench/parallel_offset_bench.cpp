// Parallel offset with clean-up. Targets on this machine: a closed outline
// of 10,000 segments, half of them arcs, at most 20 ms at each distance; an
// open zig-zag of 10,000 segments whose offsets collapse heavily, at most
// 100 ms at each distance. Compare the medians of the repetitions
// (--benchmark_repetitions=9 --benchmark_report_aggregates_only=true).
// The chains are built once, outside the timed loops.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "chain_fixtures.h"
#include "drovik/drovik.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A wavy outline of radius about 1000, counter-clockwise, its segments
// alternately straight and bulged by up to 0.1 either way (about 0.63 long).
const CPolyLineVertexArray& Outline() {
    static CPolyLineVertexArray chain;
    if (chain.GetSize() == 0) {
        chain_fixtures::Uniform draw(20261206);
        const int n = 10000;
        for (int i = 0; i < n; ++i) {
            const double a = kTwoPi * i / n;
            const double r = 1000.0 + 30.0 * std::sin(7.0 * a) + 10.0 * std::sin(31.0 * a);
            CPolyLineVertex v(AcGePoint3d(r * std::cos(a), r * std::sin(a), 0.0), i % 2 ? draw(-0.1, 0.1) : 0.0);
            chain.Add(v);
        }
    }
    return chain;
}

// Unit steps up and down: offsets of more than half a step fold over one
// another and most of them are cut away.
const CPolyLineVertexArray& ZigZag() {
    static CPolyLineVertexArray chain;
    if (chain.GetSize() == 0) {
        for (int i = 0; i <= 10000; ++i) {
            CPolyLineVertex v(AcGePoint3d(i, i % 2, 0.0), 0.0);
            chain.Add(v);
        }
    }
    return chain;
}

// Distances come in hundredths, as benchmark arguments are integers.
void Run(benchmark::State& state, const CPolyLineVertexArray& chain, bool closed) {
    const double dist = static_cast<double>(state.range(0)) / 100.0;
    CPolyLineVertexArray out;
    AcArray<int> counts, flags;
    for (auto _ : state) {
        if (!ParallelOffset(chain, closed, dist, joinRound, 2.0, out, counts, flags))
            state.SkipWithError("offset refused the chain");
        benchmark::DoNotOptimize(out.GetData());
    }
    state.counters["chains"] = counts.length();
    state.counters["vertices"] = static_cast<double>(out.GetSize());
}

void BM_ParallelOffset_Outline(benchmark::State& state) { Run(state, Outline(), true); }
void BM_ParallelOffset_ZigZag(benchmark::State& state) { Run(state, ZigZag(), false); }

// Inward 1, 10 and 50 (the small waves vanish), outward 10.
BENCHMARK(BM_ParallelOffset_Outline)->Arg(100)->Arg(1000)->Arg(5000)->Arg(-1000)->Unit(benchmark::kMillisecond);
// Half a step, two steps and five steps.
BENCHMARK(BM_ParallelOffset_ZigZag)->Arg(50)->Arg(200)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
