// Point-driven selection on a pipe network of 100,000 lines and arcs meeting
// at 20,000 wells (a 200 x 100 grid, 10 units apart): querying every well
// must take at most 3 s in all, for PointSelect and for WellDimSelect. The
// view is zoomed in closer than the well spacing, so every query pans first
// (the worst case: the host selects only what the view shows).
#include <benchmark/benchmark.h>

#include <aced.h>
#include <hostharness.h>

#include "chains/pipe_network.h"
#include "drovik/drovik.h"

namespace {
constexpr int kColumns = 200;
constexpr int kRows = 100;
constexpr int kPipes = 100000;

PipeNetwork BuildNetwork() {
    host::harness::ResetHost();
    PipeNetwork net = BuildPipeNetwork(kColumns, kRows, kPipes);
    host::harness::SetView(net.wells.front(), 5.0);
    return net;
}

void BM_PointSelectEveryWell(benchmark::State& state) {
    const PipeNetwork net = BuildNetwork();
    AcArray<AcDbObjectId> ids;
    AcArray<AcGePoint3d> pts;
    long found = 0;
    for (auto _ : state) {
        for (const AcGePoint3d& well : net.wells)
            found += PointSelect(AcDbObjectId::kNull, well, ids, pts, nullptr, true);
    }
    state.counters["pipes found per sweep"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    host::harness::ResetHost();
}
BENCHMARK(BM_PointSelectEveryWell)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_WellDimSelectEveryWell(benchmark::State& state) {
    const PipeNetwork net = BuildNetwork();
    AcArray<AcDbObjectId> ids;
    long found = 0;
    for (auto _ : state) {
        for (const AcGePoint3d& well : net.wells) {
            ids.setLogicalLength(0);
            found += WellDimSelect(AcDbObjectId::kNull, well, ids, nullptr);
        }
    }
    state.counters["entities found per sweep"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    host::harness::ResetHost();
}
BENCHMARK(BM_WellDimSelectEveryWell)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
}  // namespace
