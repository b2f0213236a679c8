// DXF load and save of a drawing of 100,000 mixed entities (target: each at
// most 1 s; bench/dxf_vs_ezdxf.py compares with ezdxf in the same run), and
// of a file of 100,000 entities half of which the host keeps without
// modelling them (MTEXT, INSERT with attributes, HATCH, SPLINE, DIMENSION).
#include <benchmark/benchmark.h>

#include <cstdio>
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

// An R2000 file: per ten entities one MTEXT, INSERT (two ATTRIBs), HATCH,
// SPLINE, DIMENSION, LINE, ARC, CIRCLE, LWPOLYLINE and TEXT.
const std::string& KeptMixedFile() {
    static const std::string text = [] {
        std::string t;
        t.reserve(kEntities * 400);
        unsigned long long h = 0x100;
        char buf[512];
        auto add = [&](const char* fmt, auto... args) {
            std::snprintf(buf, sizeof buf, fmt, args...);
            t += buf;
        };
        auto head = [&](const char* type, const char* marker) {
            add("  0\n%s\n  5\n%llX\n330\n1F\n100\nAcDbEntity\n  8\n0\n", type, h++);
            if (marker) add("100\n%s\n", marker);
        };
        t += "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$HANDSEED\n  5\nFFFFFF\n  0\nENDSEC\n";
        t += "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nBLOCK_RECORD\n  5\n1\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n";
        t += "  0\nBLOCK_RECORD\n  5\n1F\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\n*Model_Space\n";
        t += "  0\nBLOCK_RECORD\n  5\n20\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\nTAG\n";
        t += "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n";
        t += "  0\nBLOCK\n  5\n21\n330\n20\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockBegin\n  2\nTAG\n 70\n2\n 10\n0\n 20\n0\n 30\n0\n  3\nTAG\n";
        t += "  0\nENDBLK\n  5\n22\n330\n20\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockEnd\n  0\nENDSEC\n";
        t += "  0\nSECTION\n  2\nENTITIES\n";
        for (long i = 0; i < kEntities / 10; ++i) {
            const double x = static_cast<double>(i % 1000), y = static_cast<double>(i / 1000);
            head("MTEXT", "AcDbMText");
            add(" 10\n%g\n 20\n%g\n 30\n0.0\n 40\n2.5\n 41\n40.0\n 71\n1\n  1\nNote %ld\\PSecond line\n", x, y, i);
            head("INSERT", "AcDbBlockReference");
            add(" 66\n1\n  2\nTAG\n 10\n%g\n 20\n%g\n 30\n0.0\n", x, y);
            for (const char* tag : {"NO", "NAME"}) {
                head("ATTRIB", "AcDbText");
                add(" 10\n%g\n 20\n%g\n 30\n0.0\n 40\n0.5\n  1\n%s%ld\n100\nAcDbAttribute\n  2\n%s\n 70\n0\n", x, y - 2, tag, i, tag);
            }
            head("SEQEND", nullptr);
            head("HATCH", "AcDbHatch");
            add(" 10\n0.0\n 20\n0.0\n 30\n0.0\n210\n0.0\n220\n0.0\n230\n1.0\n  2\nSOLID\n 70\n1\n 71\n0\n 91\n1\n 92\n3\n 72\n0\n 73\n1\n 93\n4\n"
                " 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n 97\n0\n 75\n0\n 76\n1\n 98\n0\n",
                x, y, x + 5, y, x + 5, y + 5, x, y + 5);
            head("SPLINE", "AcDbSpline");
            add(" 70\n8\n 71\n3\n 72\n8\n 73\n4\n 74\n0\n 40\n0\n 40\n0\n 40\n0\n 40\n0\n 40\n1\n 40\n1\n 40\n1\n 40\n1\n"
                " 10\n%g\n 20\n%g\n 30\n0\n 10\n%g\n 20\n%g\n 30\n0\n 10\n%g\n 20\n%g\n 30\n0\n 10\n%g\n 20\n%g\n 30\n0\n",
                x, y, x + 3, y + 4, x + 6, y - 2, x + 9, y + 1);
            head("DIMENSION", "AcDbDimension");
            add("  2\n*D1\n 10\n%g\n 20\n%g\n 30\n0\n 11\n%g\n 21\n%g\n 31\n0\n 70\n32\n  3\nStandard\n"
                "100\nAcDbAlignedDimension\n 13\n%g\n 23\n%g\n 33\n0\n 14\n%g\n 24\n%g\n 34\n0\n100\nAcDbRotatedDimension\n",
                x + 10, y + 3, x + 5, y + 3, x, y, x + 10, y);
            head("LINE", "AcDbLine");
            add(" 10\n%g\n 20\n%g\n 30\n0.0\n 11\n%g\n 21\n%g\n 31\n0.0\n", x, y, x + 7, y + 3);
            head("ARC", "AcDbCircle");
            add(" 10\n%g\n 20\n%g\n 30\n0.0\n 40\n5.0\n100\nAcDbArc\n 50\n10.0\n 51\n200.0\n", x, y);
            head("CIRCLE", "AcDbCircle");
            add(" 10\n%g\n 20\n%g\n 30\n0.0\n 40\n3.0\n", x, y);
            head("LWPOLYLINE", "AcDbPolyline");
            add(" 90\n4\n 70\n1\n 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n 10\n%g\n 20\n%g\n", x, y, x + 4, y,
                x + 4, y + 4, x, y + 4);
            head("TEXT", "AcDbText");
            add(" 10\n%g\n 20\n%g\n 30\n0.0\n 40\n2.0\n  1\nT%ld\n100\nAcDbText\n", x, y, i);
        }
        t += "  0\nENDSEC\n  0\nEOF\n";
        return t;
    }();
    return text;
}

// Read, and read and write (what `drovik convert` does), of the kept-mixed file.
void BM_DxfReadKeptMixed100k(benchmark::State& state) {
    const std::string& text = KeptMixedFile();
    AcApDocument* doc = host::harness::NewDocument(L"bench-kept-read.dwg");
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    for (auto _ : state) {
        if (!host::dxf::ReadDxfBuffer(text.data(), text.size(), doc->database(), err, &report))
            state.SkipWithError(err.what().c_str());
    }
    // The file is well formed: no mends, half the entities modelled.
    state.counters["mends"] = report.mends();
    state.counters["modelled"] = report.entities;
    state.counters["kept"] = report.keptTotal();
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
    host::harness::CloseDocument(doc);
}
BENCHMARK(BM_DxfReadKeptMixed100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DxfWriteKeptMixed100k(benchmark::State& state) {
    const std::string& text = KeptMixedFile();
    AcApDocument* doc = host::harness::NewDocument(L"bench-kept-write.dwg");
    host::dxf::DxfError err;
    if (!host::dxf::ReadDxfBuffer(text.data(), text.size(), doc->database(), err)) state.SkipWithError(err.what().c_str());
    std::string out;
    for (auto _ : state) {
        if (!host::dxf::WriteDxfString(doc->database(), out, err)) state.SkipWithError(err.what().c_str());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
    host::harness::CloseDocument(doc);
}
BENCHMARK(BM_DxfWriteKeptMixed100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
