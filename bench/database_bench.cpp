// Drawing database at scale: 1,000,000 MakeLine calls must take at most 2 s,
// and opening and closing 1,000,000 entities for read at most 0.5 s.
#include <benchmark/benchmark.h>

#include <vector>

#include <hostharness.h>

#include "drovik/drovik.h"

namespace {
constexpr int kEntities = 1000000;

void BM_MakeLineMillion(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        host::harness::ResetHost();  // releases the previous run's drawing untimed
        state.ResumeTiming();
        AcDbObjectId id;
        for (int i = 0; i < kEntities; ++i) {
            const double x = i * 0.01;
            MakeLine(AcGePoint3d(x, 0, 0), AcGePoint3d(x, 1, 0), id, L"0", true);
        }
        benchmark::DoNotOptimize(id);
    }
    host::harness::ResetHost();
}
BENCHMARK(BM_MakeLineMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenCloseForReadMillion(benchmark::State& state) {
    host::harness::ResetHost();
    std::vector<AcDbObjectId> ids;
    ids.reserve(kEntities);
    AcDbObjectId id;
    for (int i = 0; i < kEntities; ++i) {
        MakeLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0), id, L"0", true);
        ids.push_back(id);
    }
    for (auto _ : state) {
        for (const AcDbObjectId& each : ids) {
            AcDbEntity* ent = nullptr;
            if (acdbOpenAcDbEntity(ent, each, AcDb::kForRead) == Acad::eOk) ent->close();
            benchmark::DoNotOptimize(ent);
        }
    }
    host::harness::ResetHost();
}
BENCHMARK(BM_OpenCloseForReadMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace
