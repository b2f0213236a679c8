// Divider-style walk: points at chord distance dDist along a vertex chain.
#include "drovik/measure/chord_spacing.h"

#include <cmath>

#include "drovik/geometry/intersect.h"
#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "drovik/measure/chain_position.h"
#include "geometry/plan.h"
#include "measure/segment.h"

using drovik::measure::IsValidSpacing;
using drovik::measure::Segment;
using drovik::measure::VertexArray;

namespace {

void InnerChordSteps(CPolyLineVertex& cursor, double dDist, const Segment& seg, const CPolyLineVertex& segStart,
                     const CPolyLineVertex& segEnd, VertexArray& resultArr) {
    if (!seg.isArc) {
        cursor.bulge = GetDirectAngle(segStart.pt, segEnd.pt);
        drovik::measure::StepAlongLine(cursor, dDist, segStart, segEnd, resultArr);
        return;
    }
    const double radius = seg.arc.radius;
    // A chord this long does not fit in the circle.
    if (dDist - 2.0 * radius > -drovik::kCoincidentTol) return;
    const double step = 2.0 * std::asin(dDist * 0.5 / radius);
    drovik::measure::StepAlongArc(cursor, step, seg, segEnd, resultArr);
}

// Of two candidates on the segment, the one met first from its start.
bool FirstOnLine(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& from) {
    return p1.distanceTo(from) <= p2.distanceTo(from);
}

bool NextChordPoint(const CPolyLineVertex& cursor, double dDist, const Segment& seg, const CPolyLineVertex& segStart,
                    const CPolyLineVertex& segEnd, CPolyLineVertex& nextVertex) {
    AcGePoint3d p1;
    AcGePoint3d p2;
    if (!seg.isArc) {
        AcGePoint3d lineEnd = segEnd.pt;
        const int count = GetCLineIpt(cursor.pt, dDist, segStart.pt, lineEnd, p1, p2);
        nextVertex.bulge = GetDirectAngle(segStart.pt, segEnd.pt);
        const bool on1 = count >= 1 && PtOnLine(p1, segStart.pt, segEnd.pt);
        const bool on2 = count == 2 && PtOnLine(p2, segStart.pt, segEnd.pt);
        if (on1 && on2) {
            nextVertex.pt = FirstOnLine(p1, p2, segStart.pt) ? p1 : p2;
        } else if (on1 || on2) {
            nextVertex.pt = on1 ? p1 : p2;
        } else {
            return false;
        }
        return true;
    }

    const AcGePoint3d& center = seg.arc.ptCenter;
    const int count = GetCCIpt(cursor.pt, dDist, center, seg.arc.radius, p1, p2);
    const bool on1 = (count == 1 || count == 2) && PtOnArc(p1, seg.arc);
    const bool on2 = count == 2 && PtOnArc(p2, seg.arc);
    AcGePoint3d taken;
    if (on1 && on2) {
        const double sweep1 = drovik::measure::SweepAlong(center, segStart.pt, p1, seg.ccw);
        const double sweep2 = drovik::measure::SweepAlong(center, segStart.pt, p2, seg.ccw);
        taken = sweep2 < sweep1 ? p2 : p1;
    } else if (on1 || on2) {
        taken = on1 ? p1 : p2;
    } else {
        return false;
    }
    nextVertex.pt = taken;
    nextVertex.bulge = drovik::measure::ArcTravelDirection(taken - center, seg.ccw);
    return true;
}

}  // namespace

void GetInnerLocPt(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart, CPolyLineVertex segEnd,
                   CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr) {
    if (!IsValidSpacing(dDist)) return;
    InnerChordSteps(curVertex, dDist, drovik::measure::ShapeOf(segStart, segEnd), segStart, segEnd, resultArr);
}

bool GetNextLocPoint(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart, CPolyLineVertex segEnd,
                     CPolyLineVertex& nextVertex) {
    if (!IsValidSpacing(dDist)) return false;
    return NextChordPoint(curVertex, dDist, drovik::measure::ShapeOf(segStart, segEnd), segStart, segEnd,
                          nextVertex);
}

int GetLocatedPoint(CPolyLineVertex& curVertex, double dDist,
                    const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                    CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr) {
    const int first = drovik::measure::BeginWalk(curVertex, dDist, vertexArr, resultArr);
    if (first < 0) return 0;
    const INT_PTR n = vertexArr.GetSize();
    const CPolyLineVertex* vertices = vertexArr.GetData();
    Segment seg = drovik::measure::ShapeOf(vertices[first], vertices[first + 1]);
    InnerChordSteps(curVertex, dDist, seg, vertices[first], vertices[first + 1], resultArr);

    // Each segment is shaped once and tried once: segments wholly within
    // dDist of the cursor are passed over, the one that holds the next point
    // is then walked inside.
    INT_PTR k = first + 1;
    while (k < n - 1) {
        CPolyLineVertex nextVertex;
        INT_PTR m = k;
        bool found = false;
        for (; m < n - 1; ++m) {
            seg = drovik::measure::ShapeOf(vertices[m], vertices[m + 1]);
            if (NextChordPoint(curVertex, dDist, seg, vertices[m], vertices[m + 1], nextVertex)) {
                resultArr.Add(nextVertex);
                curVertex = nextVertex;
                found = true;
                break;
            }
        }
        if (found) InnerChordSteps(curVertex, dDist, seg, vertices[m], vertices[m + 1], resultArr);
        k = m + 1;
    }
    return static_cast<int>(resultArr.GetSize());
}
