// Filleting two lines and cutting or extending one line at a point.
#include <cmath>

#include "drovik/corners/fillet.h"
#include "drovik/drawing/edits.h"
#include "drovik/drawing/entities.h"
#include "drovik/drawing/xdata.h"
#include "drovik/geometry/intersect.h"
#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;

namespace {
// Rewrites the line when it opens for write; a line that does not keeps its
// geometry.
void RewriteLine(AcDbObjectId id, const AcGePoint3d& ptStart, const AcGePoint3d& ptEnd) {
    AcDbLine* line = nullptr;
    if (acdbOpenObject(line, id, AcDb::kForWrite) != Acad::eOk) return;
    line->setStartPoint(ptStart);
    line->setEndPoint(ptEnd);
    line->close();
}

// The end of a line farther from the corner (the second on a tie).
AcGePoint3d FarEnd(const AcGePoint3d& ptCorner, const AcGePoint3d& ptFirst, const AcGePoint3d& ptSecond) {
    return ptCorner.distanceTo(ptSecond) < ptCorner.distanceTo(ptFirst) ? ptFirst : ptSecond;
}

// A copy of the line's layer and extended data onto a new line.
void CopyLineProperties(AcDbObjectId idFrom, AcDbObjectId idTo) {
    CString layer;
    GetEntLayer(idFrom, layer);
    SetEntLayer(idTo, layer);
    resbuf* xdata = nullptr;
    GetXData(idFrom, xdata, CString());
    SetXData(idTo, xdata);
    acutRelRb(xdata);
}
}  // namespace

bool FilletLine(AcDbObjectId idLine1, AcDbObjectId idLine2, double dRadius, AcDbObjectId& idArc) {
    AcGePoint3d a1, a2, b1, b2;
    if (!GetLineEndPoint(idLine1, a1, a2) || !GetLineEndPoint(idLine2, b1, b2)) return false;
    AcGePoint3d corner;
    if (!GetIntersPoint(a1, a2, b1, b2, corner, false)) return false;

    const AcGePoint3d far1 = FarEnd(corner, a1, a2);
    const AcGePoint3d far2 = FarEnd(corner, b1, b2);
    const AcGeVector3d leg1 = far1 - corner;
    const AcGeVector3d leg2 = far2 - corner;
    const double cornerRad = leg1.angleTo(leg2);
    const double tangentDist = dRadius / std::tan(cornerRad * 0.5);
    const double dir1 = AcGeVector3d::kXAxis.angleTo(leg1, AcGeVector3d::kZAxis);
    const double dir2 = AcGeVector3d::kXAxis.angleTo(leg2, AcGeVector3d::kZAxis);
    const AcGePoint3d touch1 = GetPolarPoint(corner, dir1, tangentDist);
    const AcGePoint3d touch2 = GetPolarPoint(corner, dir2, tangentDist);

    RewriteLine(idLine1, far1, touch1);
    RewriteLine(idLine2, touch2, far2);

    // The centre lies where the perpendiculars at the touching points meet.
    const AcGePoint3d normal1 = GetPolarPoint(touch1, dir1 + kHalfPi, 2 * dRadius);
    const AcGePoint3d normal2 = GetPolarPoint(touch2, dir2 + kHalfPi, 2 * dRadius);
    AcGePoint3d center;
    GetIntersPoint(touch1, normal1, touch2, normal2, center, false);
    const AcGePoint3d nearCorner = GetPolarPoint(center, GetDirectAngle(center, corner), dRadius);
    MakeArc(center, touch1, touch2, nearCorner, dRadius, idArc);
    TransferXData(idLine1, idArc);
    return true;
}

void PreProcLine(AcDbObjectId& idLine, AcGePoint3d ptCut, AcGePoint3d ptRef, AcGePoint3d& ptKeep, bool bSplit) {
    AcGePoint3d start, end;
    if (!GetLineEndPoint(idLine, start, end)) return;

    if (!PtOnLine(ptCut, start, end)) {
        ptKeep = FarEnd(ptCut, start, end);
        ModifyLineEnt(idLine, ptCut, ptKeep);
        return;
    }
    // The end cut off, if any.
    bool hasCutEnd = false;
    AcGePoint3d cutEnd;
    if (drovik::IsNear(ptCut, start)) {
        ptKeep = end;
    } else if (drovik::IsNear(ptCut, end)) {
        ptKeep = start;
    } else {
        // ptRef on ptCut tells no side: the line's midpoint stands in for it.
        const AcGePoint3d ref = drovik::IsNear(ptCut, ptRef) ? GetMidPt(start, end) : ptRef;
        AcGePoint3d foot;
        GetProjectPoint(ref, start, end, foot);
        const bool keepEnd = (foot - ptCut).isCodirectionalTo(end - ptCut, AcGeContext::gTol);
        ptKeep = keepEnd ? end : start;
        cutEnd = keepEnd ? start : end;
        hasCutEnd = true;
    }
    if (bSplit && hasCutEnd) {
        AcDbObjectId idNew;
        if (MakeLine(ptCut, cutEnd, idNew, L"0", true)) CopyLineProperties(idLine, idNew);
    }
    ModifyLineEnt(idLine, ptCut, ptKeep);
}
