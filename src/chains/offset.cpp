// Offsetting a vertex chain: one output vertex per segment plus a closing one.
#include "drovik/chains/offset.h"

#include <cmath>

#include "drovik/geometry/polyline.h"
#include "geometry/angles.h"
#include "geometry/constants.h"
#include "geometry/plan.h"

using drovik::DirectionOf;
using drovik::MoveAlong;
using drovik::PlaneDirection;
using drovik::PlanDistance;

namespace {

// Arc segments (|bulge| above the straight tolerance) move along their radius.
bool StartsArc(const CPolyLineVertex& vertex) { return drovik::IsArcBulge(vertex.bulge); }

// An arc runs outward on the left exactly when it turns clockwise.
bool OffsetsOutward(double bulge, bool bLeft) { return bLeft ? !(bulge > 0.0) : bulge > 0.0; }

// Directions are carried as cosine and sine: moving a point sideways or along
// a radius needs no trigonometry, which matters on chains of a million
// vertices.
PlaneDirection SideNormal(const PlaneDirection& along, bool bLeft) {
    return bLeft ? along.LeftNormal() : along.RightNormal();
}

// The point of the offset arc on the radius through pt.
AcGePoint3d MoveAlongRadius(const AcGePoint3d& pt, const AcGePoint3d& center, double dist, bool outward) {
    return MoveAlong(pt, outward ? DirectionOf(center, pt) : DirectionOf(pt, center), dist);
}

// Corner of two straight segments A-B and B-C: the meeting point of their
// offset lines, on the bisector of the corner, however far out a sharp
// corner puts it.
AcGePoint3d StraightCorner(const AcGePoint3d& A, const AcGePoint3d& B, const AcGePoint3d& C, double dist,
                           bool bLeft) {
    if ((A - B).isParallelTo(C - B, AcGeContext::gTol)) {
        // Straight on or folded back: perpendicular to the new direction.
        return MoveAlong(B, SideNormal(DirectionOf(B, C), bLeft), dist);
    }
    // With unit normals n1, n2 of the two offset lines the meeting point is
    // B + dist * (n1 + n2) / (1 + n1.n2), and 1 + n1.n2 = |n1 + n2|^2 / 2,
    // which keeps its precision at sharp corners.
    const PlaneDirection n1 = SideNormal(DirectionOf(A, B), bLeft);
    const PlaneDirection n2 = SideNormal(DirectionOf(B, C), bLeft);
    const double sx = n1.cosine + n2.cosine;
    const double sy = n1.sine + n2.sine;
    const double scale = 2.0 * dist / (sx * sx + sy * sy);
    return AcGePoint3d(B.x + scale * sx, B.y + scale * sy, B.z);
}

}  // namespace

bool OffsetVertexs(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc,
                   CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, double dDist, bool bLeft) {
    const INT_PTR n = arrSrc.GetSize();
    if (n < 2 || !std::isfinite(dDist)) return false;
    if (&arrSrc == &arrDst) {
        // Offsetting a chain in place: read from a copy, the output is refilled.
        CArray<CPolyLineVertex, CPolyLineVertex&> source;
        source.Copy(arrSrc);
        return OffsetVertexs(source, arrDst, dDist, bLeft);
    }
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
            out.pt = MoveAlong(B.pt, SideNormal(DirectionOf(B.pt, C.pt), bLeft), dDist);
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
        closing.pt = MoveAlong(prevEnd->pt, SideNormal(DirectionOf(prevStart->pt, prevEnd->pt), bLeft), dDist);
    }
    closing.bulge = 0.0;
    arrDst.Add(closing);
    return true;
}
