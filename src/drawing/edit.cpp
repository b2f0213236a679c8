// Entity edits and queries: open, do one thing, close on every path.
#include "drovik/drawing/edits.h"
#include "drovik/frame/module.h"
#include "drovik/geometry/plane.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::kTwoPi;

namespace {
// Opens id as a T for the mode; null when it cannot be opened as one.
template <class T>
T* Open(AcDbObjectId id, AcDb::OpenMode mode) {
    T* obj = nullptr;
    if (acdbOpenObject(obj, id, mode) != Acad::eOk) return nullptr;
    return obj;
}

void SetVisible(AcDbObjectId id, bool bVisible) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForWrite);
    if (!ent) return;
    const AcDb::Visibility wanted = bVisible ? AcDb::kVisible : AcDb::kInvisible;
    if (ent->visibility() != wanted) ent->setVisibility(wanted, true);
    ent->close();
}

bool ClosestPoint(AcDbObjectId id, const AcGePoint3d& pt, AcGePoint3d& ptClosest) {
    AcDbCurve* curve = Open<AcDbCurve>(id, AcDb::kForRead);
    if (!curve) return false;
    AcGePoint3d found;
    const bool ok = curve->getClosestPointTo(pt, found, false) == Acad::eOk;
    curve->close();
    if (ok) ptClosest = found;
    return ok;
}
}  // namespace

bool EraseEnt(AcDbObjectId& id) {
    if (!id.isValid()) return false;
    AcApDocManager* docs = acDocManagerPtr();
    AcApDocument* doc = docs->curDocument();
    if (docs->lockDocument(doc, AcAp::kWrite, nullptr, nullptr, true) != Acad::eOk) return false;
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForWrite);
    if (!ent) {
        docs->unlockDocument(doc);
        return false;
    }
    ent->erase(true);
    const bool closed = ent->close() == Acad::eOk;
    docs->unlockDocument(doc);
    return closed;
}

bool SetEntColor(AcDbObjectId& id, int nColor) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForWrite);
    if (!ent) return false;
    const bool ok = ent->setColorIndex(static_cast<Adesk::UInt16>(nColor), true) == Acad::eOk;
    ent->close();
    return ok;
}

bool GetEntColor(AcDbObjectId& id, int& nColor) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return false;
    nColor = static_cast<int>(ent->colorIndex());
    return ent->close() == Acad::eOk;
}

bool SetEntLayer(AcDbObjectId& id, CString strLayer) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForWrite);
    if (!ent) return false;
    const bool ok = ent->setLayer(strLayer, true, false) == Acad::eOk;
    ent->close();
    return ok;
}

bool GetEntLayer(AcDbObjectId& id, CString& strLayer) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return false;
    strLayer = ent->layer();
    ent->close();
    return true;
}

void LightSelEnt(AcDbObjectId& id) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return;
    ent->highlight(g_NullSubentPath, false);
    ent->close();
}

void UnlightSelEnt(AcDbObjectId& id) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return;
    ent->unhighlight(g_NullSubentPath, false);
    ent->close();
}

void SetEntVisible(AcDbObjectId id, bool bVisible) { SetVisible(id, bVisible); }

void SetEntVisible(AcArray<AcDbObjectId> arrIds, bool bVisible) {
    for (const AcDbObjectId& id : arrIds) SetVisible(id, bVisible);
}

bool GetLineEndPoint(AcDbObjectId id, AcGePoint3d& ptStart, AcGePoint3d& ptEnd) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return false;
    const AcDbLine* line = AcDbLine::cast(ent);
    if (!line) {
        ent->close();
        return false;
    }
    ptStart = line->startPoint();
    ptEnd = line->endPoint();
    return ent->close() == Acad::eOk;
}

bool GetArcPara(AcDbObjectId id, stArcPara& arc) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return false;
    const AcDbArc* dbArc = AcDbArc::cast(ent);
    if (!dbArc) {
        ent->close();
        return false;
    }
    arc.ptCenter = dbArc->center();
    arc.radius = dbArc->radius();
    arc.startAngle = dbArc->startAngle();
    arc.endAngle = dbArc->endAngle();
    ent->close();
    arc.ptStart = GetPolarPoint(arc.ptCenter, arc.startAngle, arc.radius);
    arc.ptEnd = GetPolarPoint(arc.ptCenter, arc.endAngle, arc.radius);
    arc.ptMid = GetPolarPoint(arc.ptCenter, GetDirectAngle(arc.ptStart, arc.ptEnd) - kHalfPi, arc.radius);
    arc.angle = arc.endAngle - arc.startAngle;
    if (arc.angle < 0.0) arc.angle += kTwoPi;
    arc.length = arc.angle * arc.radius;
    return true;
}

bool GetCenterRadius(AcDbObjectId id, AcGePoint3d& ptCenter, double& dRadius) {
    AcDbEntity* ent = Open<AcDbEntity>(id, AcDb::kForRead);
    if (!ent) return false;
    const AcDbCircle* circle = AcDbCircle::cast(ent);
    if (circle) {
        ptCenter = circle->center();
        dRadius = circle->radius();
    }
    ent->close();
    return circle != nullptr;
}

bool ModifyLineEnt(AcDbObjectId id, AcGePoint3d ptStart, AcGePoint3d ptEnd) {
    AcDbLine* line = Open<AcDbLine>(id, AcDb::kForWrite);
    if (!line) return false;
    line->setStartPoint(ptStart);
    line->setEndPoint(ptEnd);
    line->close();
    return true;
}

bool ModifyArcEnt(AcDbObjectId id, double dStartAngle, double dEndAngle) {
    AcDbArc* arc = Open<AcDbArc>(id, AcDb::kForWrite);
    if (!arc) return false;
    arc->setStartAngle(dStartAngle);
    arc->setEndAngle(dEndAngle);
    arc->close();
    return true;
}

bool ModifyCircleRadius(AcDbObjectId id, double dRadius) {
    AcDbCircle* circle = Open<AcDbCircle>(id, AcDb::kForWrite);
    if (!circle) return false;
    circle->setRadius(dRadius);
    circle->close();
    return true;
}

bool ModifyCircleCenter(AcDbObjectId id, AcGePoint3d ptCenter) {
    AcArray<AcGePoint3d> points(0, 8);
    AcArray<double> values(0, 8);
    sorn::ent::GetCurveParam(id, &points, &values);
    if (AcDbCircle* circle = Open<AcDbCircle>(id, AcDb::kForWrite)) {
        circle->setCenter(ptCenter);
        circle->close();
        return true;
    }
    // A rectangle drawn as MakeRect draws it: vertices 1 and 3 are opposite corners.
    constexpr int kRectVertices = 6;
    if (points.length() != kRectVertices) return false;
    AcDbPolyline* pline = Open<AcDbPolyline>(id, AcDb::kForWrite);
    if (!pline) return false;
    const AcGePoint3d oldCenter = points[1] + (points[3] - points[1]) / 2;
    pline->transformBy(AcGeMatrix3d::translation(ptCenter - oldCenter));
    pline->close();
    return true;
}

bool GetClosestPnt(AcDbObjectId id, AcGePoint3d pt, AcGePoint3d& ptClosest) { return ClosestPoint(id, pt, ptClosest); }

bool GetClosestPnt(AcDbObjectId id, double* const ptA, double (&ptB)[3]) {
    if (!ptA) return false;
    AcGePoint3d closest;
    if (!ClosestPoint(id, AcGePoint3d(ptB[0], ptB[1], ptB[2]), closest)) return false;
    ptA[0] = closest.x;
    ptA[1] = closest.y;
    ptA[2] = closest.z;
    return true;
}

void EraseSamePt(AcArray<AcGePoint3d>& arrPts, AcArray<double>& arrValues) {
    int i = 0;
    while (i < arrPts.length() - 1) {
        bool repeated = false;
        for (int j = i + 1; j < arrPts.length() && !repeated; ++j)
            repeated = arrPts[i].isEqualTo(arrPts[j], AcGeContext::gTol);
        if (!repeated) {
            ++i;
            continue;
        }
        arrPts.removeAt(i);
        if (i < arrValues.length()) arrValues.removeAt(i);
    }
}
