// Chain offset and the two spacing walks on long generated chains (half the
// segments arcs, spacing = mean segment length). Targets on 1,000,000
// vertices: OffsetVertexs <= 0.3 s, GetEvenPoint and GetLocatedPoint
// <= 0.6 s each; 2,000,000 vertices within 2.2 times the 1,000,000 figure
// (linear growth). Compare the medians of the /1000000 and /2000000 runs.
// The chains are built once, outside the timed loops.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "chain_fixtures.h"
#include "drovik/drovik.h"

namespace {

struct BenchChain {
    CPolyLineVertexArray vertices;
    double meanSegmentLength = 0.0;
};

// A gently winding road-like centreline; arcs have radius at least 0.5 so an
// offset of 0.25 never collapses one.
const BenchChain& ChainOf(long vertices) {
    static std::map<long, std::unique_ptr<BenchChain>> cache;
    std::unique_ptr<BenchChain>& slot = cache[vertices];
    if (!slot) {
        slot = std::make_unique<BenchChain>();
        chain_fixtures::ChainShape shape;
        shape.maxTurnRad = 0.5;
        shape.arcShare = 0.5;
        shape.minBulge = 0.05;
        shape.maxBulge = 0.5;
        chain_fixtures::RandomChain(slot->vertices, vertices, 20261206, shape);
        double total = 0.0;
        for (INT_PTR i = 0; i + 1 < slot->vertices.GetSize(); ++i) {
            stArcPara arc;
            const CPolyLineVertex& a = slot->vertices[i];
            const CPolyLineVertex& b = slot->vertices[i + 1];
            total += CPolyLine::GetArcPara(a, b, arc) ? arc.length : a.pt.distanceTo(b.pt);
        }
        slot->meanSegmentLength = total / static_cast<double>(vertices - 1);
    }
    return *slot;
}

// The output array is the caller's: the main runs keep one across calls, as
// a client walking many chains would, so they time the computation. The
// FreshOutput runs hand each call a new array and so also pay for first
// touching its memory, which on a virtual machine can cost as much again.
void BM_OffsetVertexs(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    CPolyLineVertexArray offset;
    OffsetVertexs(chain.vertices, offset, 0.25, true);  // the caller's array, already grown
    for (auto _ : state) {
        if (!OffsetVertexs(chain.vertices, offset, 0.25, true)) state.SkipWithError("offset refused the chain");
        benchmark::DoNotOptimize(offset.GetData());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OffsetVertexs_FreshOutput(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    for (auto _ : state) {
        CPolyLineVertexArray offset;
        if (!OffsetVertexs(chain.vertices, offset, 0.25, true)) state.SkipWithError("offset refused the chain");
        benchmark::DoNotOptimize(offset.GetData());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetEvenPoint(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    CPolyLineVertexArray points;
    GetEvenPoint(chain.vertices[0], chain.meanSegmentLength, chain.vertices, points);
    for (auto _ : state) {
        const int count = GetEvenPoint(chain.vertices[0], chain.meanSegmentLength, chain.vertices, points);
        benchmark::DoNotOptimize(count);
        state.counters["points"] = count;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetEvenPoint_FreshOutput(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    for (auto _ : state) {
        CPolyLineVertexArray points;
        const int count = GetEvenPoint(chain.vertices[0], chain.meanSegmentLength, chain.vertices, points);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetLocatedPoint(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    CPolyLineVertexArray points;
    CPolyLineVertex first = chain.vertices[0];
    GetLocatedPoint(first, chain.meanSegmentLength, chain.vertices, points);
    for (auto _ : state) {
        CPolyLineVertex start = chain.vertices[0];
        const int count = GetLocatedPoint(start, chain.meanSegmentLength, chain.vertices, points);
        benchmark::DoNotOptimize(count);
        state.counters["points"] = count;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetLocatedPoint_FreshOutput(benchmark::State& state) {
    const BenchChain& chain = ChainOf(state.range(0));
    for (auto _ : state) {
        CPolyLineVertex start = chain.vertices[0];
        CPolyLineVertexArray points;
        const int count = GetLocatedPoint(start, chain.meanSegmentLength, chain.vertices, points);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ChainSizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000000)->Arg(2000000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_OffsetVertexs)->Apply(ChainSizes);
BENCHMARK(BM_GetEvenPoint)->Apply(ChainSizes);
BENCHMARK(BM_GetLocatedPoint)->Apply(ChainSizes);
BENCHMARK(BM_OffsetVertexs_FreshOutput)->Apply(ChainSizes);
BENCHMARK(BM_GetEvenPoint_FreshOutput)->Apply(ChainSizes);
BENCHMARK(BM_GetLocatedPoint_FreshOutput)->Apply(ChainSizes);

}  // namespace
