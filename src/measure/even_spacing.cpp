// Arc-length walk: points every dDist along a vertex chain.
#include "drovik/measure/even_spacing.h"

#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/measure/chain_position.h"
#include "geometry/plan.h"
#include "measure/segment.h"

using drovik::measure::IsValidSpacing;
using drovik::measure::Segment;
using drovik::measure::VertexArray;

namespace {

// Steps inside one segment; answers the length left before its end.
double InnerEvenSteps(CPolyLineVertex& cursor, double dDist, const Segment& seg, const CPolyLineVertex& segStart,
                      const CPolyLineVertex& segEnd, VertexArray& resultArr) {
    if (!seg.isArc) {
        cursor.bulge = GetDirectAngle(segStart.pt, segEnd.pt);
        return drovik::measure::StepAlongLine(cursor, dDist, segStart, segEnd, resultArr);
    }
    const double sweepLeft = drovik::measure::StepAlongArc(cursor, dDist / seg.arc.radius, seg, segEnd, resultArr);
    return sweepLeft * seg.arc.radius;
}

bool NextEvenPoint(const Segment& seg, const CPolyLineVertex& segStart, const CPolyLineVertex& segEnd,
                   double& dRemain, CPolyLineVertex& nextVertex) {
    if (!seg.isArc) {
        const double length = drovik::PlanDistance(segStart.pt, segEnd.pt);
        if (!(dRemain <= length)) {
            dRemain -= length;
            return false;
        }
        nextVertex.pt = drovik::MoveAlong(segStart.pt, drovik::DirectionOf(segStart.pt, segEnd.pt), dRemain);
        nextVertex.bulge = GetDirectAngle(segStart.pt, segEnd.pt);
        dRemain = 0.0;
        return true;
    }
    if (!(dRemain <= seg.arc.length)) {
        dRemain -= seg.arc.length;
        return false;
    }
    AcGeVector3d radial = segStart.pt - seg.arc.ptCenter;
    // Nothing left to walk stays on the start, also on an arc of radius 0
    // (a repeated vertex carrying a bulge), where the division has no value.
    const double sweep = dRemain == 0.0 ? 0.0 : dRemain / seg.arc.radius;
    drovik::measure::StepTurn(sweep, seg.ccw).Apply(radial);
    nextVertex.pt = drovik::measure::OnCircle(seg.arc.ptCenter, radial, seg.arc.radius);
    nextVertex.bulge = drovik::measure::ArcTravelDirection(radial, seg.ccw);
    dRemain = 0.0;
    return true;
}

}  // namespace

void GetInnerEvenPt(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart, CPolyLineVertex segEnd,
                    CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr, double& dRest) {
    dRest = 0.0;
    if (!IsValidSpacing(dDist)) return;
    dRest = InnerEvenSteps(curVertex, dDist, drovik::measure::ShapeOf(segStart, segEnd), segStart, segEnd, resultArr);
}

bool GetNextEvenPoint(CPolyLineVertex segStart, CPolyLineVertex segEnd, double& dRemain, CPolyLineVertex& nextVertex) {
    return NextEvenPoint(drovik::measure::ShapeOf(segStart, segEnd), segStart, segEnd, dRemain, nextVertex);
}

int GetEvenPoint(CPolyLineVertex curVertex, double dDist, const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                 CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr) {
    const int first = drovik::measure::BeginWalk(curVertex, dDist, vertexArr, resultArr);
    if (first < 0) return 0;
    const INT_PTR n = vertexArr.GetSize();
    const CPolyLineVertex* vertices = vertexArr.GetData();
    Segment seg = drovik::measure::ShapeOf(vertices[first], vertices[first + 1]);
    double rest = InnerEvenSteps(curVertex, dDist, seg, vertices[first], vertices[first + 1], resultArr);

    // The length left at a segment's end is carried into the following
    // segments; each one is shaped once, and either holds the next point or
    // is consumed whole.
    INT_PTR k = first + 1;
    while (k < n - 1) {
        CPolyLineVertex nextVertex;
        // Never negative: a spacing too fine to shrink a length may leave
        // more than dDist behind.
        double need = rest < dDist ? dDist - rest : 0.0;
        INT_PTR m = k;
        bool found = false;
        for (; m < n - 1; ++m) {
            seg = drovik::measure::ShapeOf(vertices[m], vertices[m + 1]);
            if (NextEvenPoint(seg, vertices[m], vertices[m + 1], need, nextVertex)) {
                resultArr.Add(nextVertex);
                curVertex = nextVertex;
                found = true;
                break;
            }
        }
        if (found) rest = InnerEvenSteps(curVertex, dDist, seg, vertices[m], vertices[m + 1], resultArr);
        k = m + 1;
    }
    return static_cast<int>(resultArr.GetSize());
}
