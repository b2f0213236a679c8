// Selection on a drawing of 1,000,000 entities: a crossing query (acedSSGet
// "c" with a pick-sized window, then acedSSFree) must take at most 100
// microseconds median. Also measured: loading the spatial index of such a
// drawing, and keeping it current while entities are appended (compare with
// BM_MakeLineMillion in database_bench.cpp, which has no index).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include <aced.h>
#include <hostharness.h>

#include "bench_support.h"

#include "drovik/drovik.h"

namespace {
constexpr int kEntities = 1000000;
constexpr double kSide = 2000.0;  // the drawing covers kSide x kSide units

// A million short lines scattered over the sheet; with showAll the view
// shows it all (which also makes the editor state and its index).
void BuildDrawing(bool showAll) {
    host::harness::ResetHost();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> at(0.0, kSide), step(-2.0, 2.0);
    AcDbObjectId id;
    for (int i = 0; i < kEntities; ++i) {
        const AcGePoint3d a(at(rng), at(rng), 0.0);
        MakeLine(a, AcGePoint3d(a.x + step(rng), a.y + step(rng), 0.0), id, L"0", true);
    }
    if (showAll) host::harness::SetView(AcGePoint3d(kSide / 2, kSide / 2, 0.0), kSide);
}

void BM_CrossingQueryMillion(benchmark::State& state) {
    BuildDrawing(true);
    benchsupport::CrossingQueries(state, kSide, 1.0);
    host::harness::ResetHost();
}
BENCHMARK(BM_CrossingQueryMillion)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IndexLoadMillion(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        BuildDrawing(false);  // a fresh drawing has no index yet
        state.ResumeTiming();
        ads_name ss;
        const ads_point a = {0, 0, 0}, b = {1, 1, 0};
        if (acedSSGet(L"c", a, b, nullptr, ss) == RTNORM) acedSSFree(ss);
    }
    host::harness::ResetHost();
}
BENCHMARK(BM_IndexLoadMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// Appending a million lines while the index is live: each append only marks
// the entity; the first query after them brings the index up to date.
void BM_AppendThenQueryMillion(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        host::harness::ResetHost();
        host::harness::SetView(AcGePoint3d(kSide / 2, kSide / 2, 0.0), kSide);  // index made, empty
        state.ResumeTiming();
        AcDbObjectId id;
        for (int i = 0; i < kEntities; ++i) {
            const double x = (i % 1000) * 2.0, y = (i / 1000) * 2.0;
            MakeLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 1, y + 1, 0), id, L"0", true);
        }
        ads_name ss;
        const ads_point a = {0, 0, 0}, b = {1, 1, 0};
        if (acedSSGet(L"c", a, b, nullptr, ss) == RTNORM) acedSSFree(ss);
    }
    host::harness::ResetHost();
}
BENCHMARK(BM_AppendThenQueryMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
