// Vertex index of a point, a point by arc length, elevation on a slope.
#include "drovik/measure/chain_position.h"

#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "geometry/plan.h"
#include "measure/segment.h"

using drovik::IsNegligible;
using drovik::PlanDistance;

bool GetPointIndex(CPolyLineVertex& curVertex, const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                   int& nIndex, int& nNextIndex) {
    const INT_PTR n = vertexArr.GetSize();
    const CPolyLineVertex* vertices = vertexArr.GetData();
    for (INT_PTR i = 0; i + 1 < n; ++i) {
        const CPolyLineVertex& from = vertices[i];
        const CPolyLineVertex& to = vertices[i + 1];
        if (IsNegligible(PlanDistance(from.pt, curVertex.pt))) {
            nIndex = static_cast<int>(i);
            nNextIndex = -1;
            return true;
        }
        if (IsNegligible(PlanDistance(to.pt, curVertex.pt))) {
            nIndex = static_cast<int>(i + 1);
            nNextIndex = -1;
            return true;
        }
        stArcPara arc;
        if (!CPolyLine::GetArcPara(from, to, arc)) {
            if (!PtOnLine(curVertex.pt, arc.ptStart, arc.ptEnd)) continue;
            curVertex.bulge = GetDirectAngle(from.pt, to.pt);
        } else {
            if (!PtOnArc(curVertex.pt, arc)) continue;
            curVertex.bulge = drovik::measure::ArcTravelDirection(curVertex.pt - arc.ptCenter, from.bulge > 0.0);
        }
        nIndex = static_cast<int>(i);
        nNextIndex = static_cast<int>(i + 1);
        return true;
    }
    return false;
}

AcGePoint3d GetArcPointByLen(const AcGePoint3d& ptFrom, const AcGePoint3d& ptRef, const stArcPara& arc,
                             double dLen) {
    if (arc.radius == 0.0) return arc.ptCenter;  // the whole circle is its centre
    AcGeVector3d radial = ptFrom - arc.ptCenter;
    const double sweep = dLen / arc.radius;
    // The record runs counter-clockwise from ptStart: towards it is clockwise.
    const bool towardsStart = IsNegligible(ptRef.distanceTo(arc.ptStart));
    radial.rotateBy(sweep, towardsStart ? -AcGeVector3d::kZAxis : AcGeVector3d::kZAxis);
    return GetPolarPoint(arc.ptCenter, radial, arc.radius);
}

bool GetPointElev(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB, double& dElev) {
    const double run = PlanDistance(ptA, ptB);
    if (IsNegligible(run)) return false;  // no plan direction, no slope
    AcGeVector3d toPt = pt - ptA;
    AcGeVector3d toB = ptB - ptA;
    toPt.z = 0.0;
    toB.z = 0.0;
    const bool atA = toPt.x == 0.0 && toPt.y == 0.0;
    if (!atA && !toPt.isParallelTo(toB, AcGeContext::gTol)) return false;
    const double slope = (ptB.z - ptA.z) / run;
    dElev = ptA.z + slope * PlanDistance(ptA, pt);
    return true;
}
