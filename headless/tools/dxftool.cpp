// dxftool: DXF loading and saving from the command line, for benchmarks and
// interoperability tests.
//   dxftool gen N out.dxf        a drawing of N mixed entities, saved
//   dxftool load in.dxf          load; prints the time, peak memory, report
//   dxftool save in.dxf out.dxf  load, then save; prints the save time
//   dxftool copy in.dxf out.dxf  load and save, quietly
// Exit status 0 on success, 1 on a DXF error (printed), 2 on bad usage.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbgroup.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dxfio.h"
#include "hostharness.h"
#include "widetext.h"

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

long PeakRssKiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

long CurrentRssKiB() {
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * 4;
}

std::wstring Wide(const char* s) { return host::Utf8ToWide(s); }

void Add(AcDbBlockTableRecord* ms, AcDbEntity* e, AcDbObjectId layer) {
    e->setDatabaseDefaults();
    e->setLayer(layer);
    ms->appendAcDbEntity(e);
    e->close();
}

// A mixed drawing: lines, arcs, circles, texts, lightweight polylines with
// bulges, ellipses and 2D polylines, spread over a few layers.
int Generate(long n, const char* out) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbLayerTable* lt = nullptr;
    db->getLayerTable(lt, AcDb::kForWrite);
    AcDbObjectId layers[4];
    const wchar_t* names[4] = {L"Walls", L"Roads", L"井", L"Text"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new AcDbLayerTableRecord;
        r->setName(names[i]);
        lt->add(layers[i], r);
        r->close();
    }
    lt->close();
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
    for (long i = 0; i < n; ++i) {
        const double x = static_cast<double>(i % 1000) * 10.123, y = static_cast<double>(i / 1000) * 7.77;
        const AcDbObjectId layer = layers[i % 4];
        switch (i % 8) {
        case 0:
        case 1: Add(ms, new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 3.3, y + 1.7, 0)), layer); break;
        case 2: Add(ms, new AcDbArc(AcGePoint3d(x, y, 0), 2.5, 0.3, 2.9), layer); break;
        case 3: Add(ms, new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 1.25), layer); break;
        case 4: {
            auto* t = new AcDbText(AcGePoint3d(x, y, 0), L"K12+345.678 井1", AcDbObjectId::kNull, 2.5, 0.5);
            Add(ms, t, layer);
            break;
        }
        case 5: {
            auto* pl = new AcDbPolyline;
            for (unsigned k = 0; k < 5; ++k)
                pl->addVertexAt(k, AcGePoint2d(x + k, y + (k % 2) * 0.5), k == 2 ? 0.414 : 0.0);
            Add(ms, pl, layer);
            break;
        }
        case 6: {
            auto* el = new AcDbEllipse;
            el->set(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, AcGeVector3d(3, 1, 0), 0.4);
            Add(ms, el, layer);
            break;
        }
        default: {
            AcGePoint3dArray pts;
            for (int k = 0; k < 3; ++k) pts.append(AcGePoint3d(x + k, y - k, 0));
            Add(ms, new AcDb2dPolyline(AcDb::k2dSimplePoly, pts), layer);
            break;
        }
        }
    }
    ms->close();
    host::dxf::DxfError err;
    if (!host::dxf::WriteDxf(db, Wide(out).c_str(), err)) {
        std::fprintf(stderr, "%s\n", err.what().c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dxftool gen N out.dxf | load in.dxf | save in.dxf out.dxf | copy in.dxf out.dxf\n");
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "gen" && argc == 4) return Generate(std::atol(argv[2]), argv[3]);
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    const long rssBefore = CurrentRssKiB();
    const double t0 = Now();
    if (!host::dxf::ReadDxf(Wide(argv[2]).c_str(), db, err, &report)) {
        std::fprintf(stderr, "%s\n", err.what().c_str());
        return 1;
    }
    const double t1 = Now();
    if (cmd == "load") {
        const long peak = PeakRssKiB();
        std::printf("load_seconds %.4f\n", t1 - t0);
        std::printf("entities %d\n", report.entities);
        std::printf("peak_rss_kib %ld\nrss_before_kib %ld\n", peak, rssBefore);
        std::printf("bytes_per_entity %.0f\n",
                    report.entities ? (peak - rssBefore) * 1024.0 / report.entities : 0.0);
        std::printf("version %s\n", report.version.c_str());
        for (const auto& kv : report.skipped) std::printf("skipped %s %d\n", kv.first.c_str(), kv.second);
        for (const auto& w : report.warnings) std::printf("warning %s\n", w.c_str());
        return 0;
    }
    if ((cmd == "save" || cmd == "copy") && argc == 4) {
        const double t2 = Now();
        if (!host::dxf::WriteDxf(db, Wide(argv[3]).c_str(), err)) {
            std::fprintf(stderr, "%s\n", err.what().c_str());
            return 1;
        }
        if (cmd == "save") std::printf("save_seconds %.4f\n", Now() - t2);
        return 0;
    }
    std::fprintf(stderr, "usage: dxftool gen N out.dxf | load in.dxf | save in.dxf out.dxf | copy in.dxf out.dxf\n");
    return 2;
}
