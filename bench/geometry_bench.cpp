// Kernel benchmarks: each call must stay under 150 ns median.
#include <benchmark/benchmark.h>

#include "drovik/drovik.h"
#include "fixtures.h"

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

namespace {

void BM_GetCCIpt(benchmark::State& state) {
    const AcGePoint3d c1(0, 0, 0), c2(7, 3, 0);
    AcGePoint3d p1, p2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetCCIpt(c1, 5.0, c2, 4.0, p1, p2));
        benchmark::DoNotOptimize(p1);
        benchmark::DoNotOptimize(p2);
    }
}
BENCHMARK(BM_GetCCIpt);

void BM_GetLineArcIpt(benchmark::State& state) {
    const stArcPara arc = ArcOf(AcGePoint3d(0, 0, 0), 5.0, 0.3, 2.8);
    const AcGePoint3d a(-8, 2, 0), b(8, 3, 0);
    AcGePoint3d p1, p2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetLineArcIpt(a, b, arc, p1, p2, true));
        benchmark::DoNotOptimize(p1);
        benchmark::DoNotOptimize(p2);
    }
}
BENCHMARK(BM_GetLineArcIpt);

void BM_GetIntersPoint(benchmark::State& state) {
    const AcGePoint3d a1(0, 0, 0), a2(10, 1, 0), b1(3, -5, 0), b2(4, 6, 0);
    AcGePoint3d p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetIntersPoint(a1, a2, b1, b2, p, true));
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_GetIntersPoint);

void BM_GetRoadStakeValue(benchmark::State& state) {
    const CString stake(L"K12+345.6");
    for (auto _ : state) benchmark::DoNotOptimize(GetRoadStakeValue(stake));
}
BENCHMARK(BM_GetRoadStakeValue);
}  // namespace
