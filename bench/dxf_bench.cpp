// DXF load and save of a drawing of 100,000 mixed entities (target: each at
// most 1 s; bench/dxf_vs_ezdxf.py compares with ezdxf in the same run).
#include <benchmark/benchmark.h>

#include <string>

#include "../headless/tools/mixed_drawing.h"
#include "dxfio.h"
#include "hostharness.h"

namespace {

constexpr long kEntities = 100000;

const std::string& MixedDrawingText() {
    static const std::string text = [] {
        AcApDocument* doc = host::harness::NewDocument(L"bench-source.dwg");
        host::tools::MakeMixedDrawing(doc->database(), kEntities);
        std::string out;
        host::dxf::DxfError err;
        host::dxf::WriteDxfString(doc->database(), out, err);
        host::harness::CloseDocument(doc);
        return out;
    }();
    return text;
}

void BM_DxfLoad100k(benchmark::State& state) {
    const std::string& text = MixedDrawingText();
    AcApDocument* doc = host::harness::NewDocument(L"bench-load.dwg");
    host::dxf::DxfError err;
    for (auto _ : state) {
        if (!host::dxf::ReadDxfBuffer(text.data(), text.size(), doc->database(), err))
            state.SkipWithError(err.what().c_str());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
    host::harness::CloseDocument(doc);
}
BENCHMARK(BM_DxfLoad100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DxfSave100k(benchmark::State& state) {
    const std::string& text = MixedDrawingText();
    AcApDocument* doc = host::harness::NewDocument(L"bench-save.dwg");
    host::dxf::DxfError err;
    host::dxf::ReadDxfBuffer(text.data(), text.size(), doc->database(), err);
    std::string out;
    for (auto _ : state) {
        if (!host::dxf::WriteDxfString(doc->database(), out, err)) state.SkipWithError(err.what().c_str());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    host::harness::CloseDocument(doc);
}
BENCHMARK(BM_DxfSave100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
