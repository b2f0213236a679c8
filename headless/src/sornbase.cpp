// The sibling library's entity helpers.
#include "sornbase.h"

#include "dbpl.h"
#include "dbsymtb.h"

namespace sorn {
namespace ent {

int AddToDb(AcDbEntity* pEnt, AcDbObjectId& id) {
    if (!pEnt || !pEnt->isWriteEnabled() || pEnt->database()) return 0;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return 0;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return 0;
    AcDbBlockTableRecord* model = nullptr;
    const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForWrite);
    table->close();
    if (es != Acad::eOk) return 0;
    const Acad::ErrorStatus added = model->appendAcDbEntity(id, pEnt);
    model->close();
    return added == Acad::eOk ? 1 : 0;
}

int GetCurveParam(AcDbObjectId id, AcArray<AcGePoint3d>* pPoints, AcArray<double>* pValues) {
    AcDbCurve* curve = nullptr;
    if (acdbOpenObject(curve, id, AcDb::kForRead) != Acad::eOk) return 0;
    const auto point = [&](const AcGePoint3d& pt) {
        if (pPoints) pPoints->append(pt);
    };
    const auto value = [&](double v) {
        if (pValues) pValues->append(v);
    };
    int ok = 1;
    if (auto* line = AcDbLine::cast(curve)) {
        point(line->startPoint());
        point(line->endPoint());
        value(line->startPoint().distanceTo(line->endPoint()));
    } else if (auto* arc = AcDbArc::cast(curve)) {
        AcGePoint3d ps, pe;
        arc->getStartPoint(ps);
        arc->getEndPoint(pe);
        point(ps);
        point(pe);
        point(arc->center());
        value(arc->radius());
        value(arc->startAngle());
        value(arc->endAngle());
    } else if (auto* circle = AcDbCircle::cast(curve)) {
        point(circle->center());
        value(circle->radius());
    } else if (auto* pline = AcDbPolyline::cast(curve)) {
        for (unsigned int i = 0; i < pline->numVerts(); ++i) {
            AcGePoint3d pt;
            double bulge = 0.0;
            pline->getPointAt(i, pt);
            pline->getBulgeAt(i, bulge);
            point(pt);
            value(bulge);
        }
    } else if (auto* pline2d = AcDb2dPolyline::cast(curve)) {
        AcDbObjectIterator* iter = pline2d->vertexIterator();
        for (; !iter->done(); iter->step()) {
            const auto* vertex = AcDb2dVertex::cast(iter->entity());
            if (!vertex) continue;
            point(pline2d->vertexPosition(*vertex));
            value(vertex->bulge());
        }
        delete iter;
    } else if (auto* ellipse = AcDbEllipse::cast(curve)) {
        point(ellipse->center());
        value(ellipse->majorAxis().length());
        value(ellipse->radiusRatio());
    } else {
        ok = 0;
    }
    curve->close();
    return ok;
}

}  // namespace ent
}  // namespace sorn
