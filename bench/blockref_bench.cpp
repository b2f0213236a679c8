// Block references on a drawing of 1,000,000 wells: each a reference to one
// block with two attributes (number and depth). Creating them as a client
// does (reference, two attributes from the block's definitions, appended and
// closed) must take at most 3 s; a crossing query (acedSSGet "c" with a
// pick-sized window, then acedSSFree) at most 200 microseconds median;
// saving the drawing as DXF (into memory, every reference and attribute
// written from the model) at most 3 s. Also measured: reading the saved
// drawing back.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include <aced.h>
#include <arxhost.h>
#include <dxfio.h>
#include <hostharness.h>

#include "bench_support.h"

namespace {
constexpr int kWells = 1000000;
constexpr double kSide = 20000.0;

// The well block: a circle and two attribute definitions.
AcDbObjectId MakeWellBlock() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* table = nullptr;
    db->getBlockTable(table, AcDb::kForWrite);
    auto* block = new AcDbBlockTableRecord;
    block->setName(L"WELL");
    AcDbObjectId id;
    table->add(id, block);
    table->close();
    AcDbEntity* parts[] = {new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0),
                           new AcDbAttributeDefinition(AcGePoint3d(1.5, 0.5, 0), L"?", L"NO", L"Number"),
                           new AcDbAttributeDefinition(AcGePoint3d(1.5, -1.0, 0), L"0.00", L"DEPTH", L"Depth")};
    for (AcDbEntity* e : parts) {
        block->appendAcDbEntity(e);
        e->close();
    }
    block->close();
    return id;
}

// A million wells scattered over the sheet, appended through model space
// opened once, as a client's import loop does.
void BuildWells() {
    host::harness::ResetHost();
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    const AcDbObjectId block = MakeWellBlock();
    AcDbAttributeDefinition* defs[2] = {nullptr, nullptr};
    AcDbBlockTableRecord* rec = nullptr;
    acdbOpenObject(rec, block, AcDb::kForRead);
    int n = 0;
    for (const auto& id : rec->entityIds())
        if (n < 2 && acdbOpenObject(defs[n], id, AcDb::kForRead) == Acad::eOk) ++n;
    rec->close();
    AcDbBlockTableRecord* model = nullptr;
    acdbOpenObject(model, db->modelSpaceId(), AcDb::kForWrite);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> at(0.0, kSide);
    for (int i = 0; i < kWells; ++i) {
        auto* ref = new AcDbBlockReference(AcGePoint3d(at(rng), at(rng), 0.0), block);
        model->appendAcDbEntity(ref);
        for (AcDbAttributeDefinition* def : defs) {
            auto* attr = new AcDbAttribute;
            attr->setAttributeFromBlock(def, ref->blockTransform());
            ref->appendAttribute(attr);
            attr->close();
        }
        ref->close();
    }
    model->close();
    for (AcDbAttributeDefinition* def : defs)
        if (def) def->close();
}

void BM_CreateBlockReferencesMillion(benchmark::State& state) {
    for (auto _ : state) BuildWells();
    host::harness::ResetHost();
}
BENCHMARK(BM_CreateBlockReferencesMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_CrossingQueryBlockReferencesMillion(benchmark::State& state) {
    BuildWells();
    host::harness::SetView(AcGePoint3d(kSide / 2, kSide / 2, 0.0), kSide);
    benchsupport::CrossingQueries(state, kSide, 5.0);
    host::harness::ResetHost();
}
BENCHMARK(BM_CrossingQueryBlockReferencesMillion)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SaveBlockReferencesMillion(benchmark::State& state) {
    BuildWells();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string out;
        host::dxf::DxfError err;
        if (!host::dxf::WriteDxfString(acdbHostApplicationServices()->workingDatabase(), out, err)) {
            state.SkipWithError(err.what().c_str());
            break;
        }
        bytes = out.size();
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    host::harness::ResetHost();
}
BENCHMARK(BM_SaveBlockReferencesMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// Reading that saved drawing back: every reference, attribute and the
// block's definitions into the model.
void BM_LoadBlockReferencesMillion(benchmark::State& state) {
    BuildWells();
    std::string file;
    host::dxf::DxfError err;
    if (!host::dxf::WriteDxfString(acdbHostApplicationServices()->workingDatabase(), file, err)) {
        state.SkipWithError(err.what().c_str());
        return;
    }
    host::harness::ResetHost();
    int entities = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>(true, true);
        state.ResumeTiming();
        host::dxf::DxfReport report;
        const bool read = host::dxf::ReadDxfBuffer(file.data(), file.size(), db.get(), err, &report);
        state.PauseTiming();  // not the freeing of the database
        db.reset();
        state.ResumeTiming();
        if (!read) {
            state.SkipWithError(err.what().c_str());
            break;
        }
        entities = report.entities;
    }
    state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
    state.counters["entities"] = entities;
}
BENCHMARK(BM_LoadBlockReferencesMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
