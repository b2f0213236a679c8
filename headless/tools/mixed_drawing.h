#pragma once
// A drawing of n mixed entities for DXF benchmarks: lines, arcs, circles,
// texts, lightweight polylines with a bulge, ellipses and 2D polylines,
// spread over four layers (one with a Chinese name).
#include "dbpl.h"
#include "dbsymtb.h"

namespace host {
namespace tools {

inline void MakeMixedDrawing(AcDbDatabase* db, long n) {
    AcDbLayerTable* lt = nullptr;
    db->getLayerTable(lt, AcDb::kForWrite);
    AcDbObjectId layers[4];
    const wchar_t* names[4] = {L"Walls", L"Roads", L"井", L"Text"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new AcDbLayerTableRecord;
        r->setName(names[i]);
        if (lt->add(layers[i], r) == Acad::eOk) {
            r->close();
        } else {
            delete r;
            lt->getAt(names[i], layers[i]);
        }
    }
    lt->close();
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
    auto add = [&](AcDbEntity* e, AcDbObjectId layer) {
        e->setDatabaseDefaults(db);
        e->setLayer(layer);
        ms->appendAcDbEntity(e);
        e->close();
    };
    for (long i = 0; i < n; ++i) {
        const double x = static_cast<double>(i % 1000) * 10.123, y = static_cast<double>(i / 1000) * 7.77;
        const AcDbObjectId layer = layers[i % 4];
        switch (i % 8) {
        case 0:
        case 1: add(new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 3.3, y + 1.7, 0)), layer); break;
        case 2: add(new AcDbArc(AcGePoint3d(x, y, 0), 2.5, 0.3, 2.9), layer); break;
        case 3: add(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 1.25), layer); break;
        case 4: add(new AcDbText(AcGePoint3d(x, y, 0), L"K12+345.678 井1", AcDbObjectId::kNull, 2.5, 0.5), layer); break;
        case 5: {
            auto* pl = new AcDbPolyline;
            for (unsigned k = 0; k < 5; ++k)
                pl->addVertexAt(k, AcGePoint2d(x + k, y + (k % 2) * 0.5), k == 2 ? 0.414 : 0.0);
            add(pl, layer);
            break;
        }
        case 6: {
            auto* el = new AcDbEllipse;
            el->set(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, AcGeVector3d(3, 1, 0), 0.4);
            add(el, layer);
            break;
        }
        default: {
            AcGePoint3dArray pts;
            for (int k = 0; k < 3; ++k) pts.append(AcGePoint3d(x + k, y - k, 0));
            add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts), layer);
            break;
        }
        }
    }
    ms->close();
}

}  // namespace tools
}  // namespace host
