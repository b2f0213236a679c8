// Offsetting a vertex chain: one output vertex per segment plus a closing one.
#include "drovik/chains/offset.h"

#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/polyline.h"
#include "geometry/angles.h"
#include "geometry/constants.h"
#include "geometry/plan.h"

using drovik::kHalfPi;
using drovik::PlanDistance;

namespace {

// Arc segments (|bulge| above the straight tolerance) move along their radius.
bool StartsArc(const CPolyLineVertex& vertex) { return std::fabs(vertex.bulge) > drovik::kStraightBulgeTol; }

// An arc runs outward on the left exactly when it turns clockwise.
bool OffsetsOutward(double bulge, bool bLeft) { return bLeft ? !(bulge > 0.0) : bulge > 0.0; }

// The point of the offset arc on the radius through pt.
AcGePoint3d MoveAlongRadius(const AcGePoint3d& pt, const AcGePoint3d& center, double dist, bool outward) {
    return outward ? GetPolarPoint(pt, GetDirectAngle(center, pt), dist)
                   : GetPolarPoint(pt, GetDirectAngle(pt, center), dist);
}

AcGePoint3d MoveSideways(const AcGePoint3d& pt, double direction, double dist, bool bLeft) {
    return GetPolarPoint(pt, bLeft ? direction + kHalfPi : direction - kHalfPi, dist);
}

// Corner of two straight segments A-B and B-C: the meeting point of their
// offset lines, on the bisector of the corner.
AcGePoint3d StraightCorner(const AcGePoint3d& A, const AcGePoint3d& B, const AcGePoint3d& C, double dist,
                           bool bLeft) {
    AcGeVector3d u = A - B;
    AcGeVector3d w = C - B;
    if (u.isParallelTo(w, AcGeContext::gTol)) {
        // Straight on or folded back: perpendicular to the new direction.
        w.rotateBy(kHalfPi, bLeft ? AcGeVector3d::kZAxis : -AcGeVector3d::kZAxis);
        return GetPolarPoint(B, w, dist);
    }
    if (bLeft) {
        const double theta = AngleAtVertex(B, C, A);
        w.rotateBy(theta / 2, AcGeVector3d::kZAxis);
        return GetPolarPoint(B, w, dist / std::sin(theta / 2));
    }
    const double theta = AngleAtVertex(B, A, C);
    u.rotateBy(theta / 2, AcGeVector3d::kZAxis);
    return GetPolarPoint(B, u, dist / std::sin(theta / 2));
}

}  // namespace

bool OffsetVertexs(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc,
                   CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, double dDist, bool bLeft) {
    const INT_PTR n = arrSrc.GetSize();
    if (n < 2 || !std::isfinite(dDist)) return false;
    arrDst.RemoveAll();
    arrDst.Reserve(n);
    const CPolyLineVertex* src = arrSrc.GetData();

    // The previous processed segment: its two ends, and its arc when it was one.
    bool anyProcessed = false;
    const CPolyLineVertex* prevStart = nullptr;
    const CPolyLineVertex* prevEnd = nullptr;
    bool prevIsArc = false;
    stArcPara arc;  // the latest arc; only its centre and radius are used

    for (INT_PTR i = 0; i + 1 < n; ++i) {
        const CPolyLineVertex& B = src[i];
        const CPolyLineVertex& C = src[i + 1];
        if (drovik::IsNegligible(PlanDistance(B.pt, C.pt))) continue;

        const bool isArc = StartsArc(B);
        CPolyLineVertex out;
        if (isArc) {
            CPolyLine::GetArcPara(B, C, arc);
            const bool outward = OffsetsOutward(B.bulge, bLeft);
            if (!outward && arc.radius <= dDist) {
                arrDst.RemoveAll();
                return false;
            }
            out.pt = MoveAlongRadius(B.pt, arc.ptCenter, dDist, outward);
        } else if (!anyProcessed || prevIsArc) {
            out.pt = MoveSideways(B.pt, GetDirectAngle(B.pt, C.pt), dDist, bLeft);
        } else {
            out.pt = StraightCorner(prevStart->pt, B.pt, C.pt, dDist, bLeft);
        }
        out.bulge = B.bulge;
        arrDst.Add(out);

        anyProcessed = true;
        prevStart = &B;
        prevEnd = &C;
        prevIsArc = isArc;
    }

    if (!anyProcessed) {
        arrDst.RemoveAll();
        return false;
    }

    CPolyLineVertex closing;
    if (prevIsArc) {
        closing.pt = MoveAlongRadius(prevEnd->pt, arc.ptCenter, dDist, OffsetsOutward(prevStart->bulge, bLeft));
    } else {
        closing.pt = MoveSideways(prevEnd->pt, GetDirectAngle(prevStart->pt, prevEnd->pt), dDist, bLeft);
    }
    closing.bulge = 0.0;
    arrDst.Add(closing);
    return true;
}
