// Kernel benchmarks: each call must stay under 150 ns median.
#include <benchmark/benchmark.h>

#include "drovik/drovik.h"

namespace {
void BM_GetArcPara(benchmark::State& state) {
    const CPolyLineVertex a(AcGePoint3d(0, 0, 0), 0.4);
    const CPolyLineVertex b(AcGePoint3d(10, 3, 0), 0.0);
    stArcPara arc;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CPolyLine::GetArcPara(a, b, arc));
        benchmark::DoNotOptimize(arc);
    }
}
BENCHMARK(BM_GetArcPara);
}  // namespace
