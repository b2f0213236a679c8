#pragma once
// Shared pieces of the measuring walks (internal).
#include <cmath>

#include "drovik/geometry/arc.h"
#include "drovik/geometry/polyline.h"
#include "drovik/geometry/vertex.h"
#include "geometry/angles.h"
#include "geometry/constants.h"
#include "geometry/plan.h"

namespace drovik::measure {

using VertexArray = CArray<CPolyLineVertex, CPolyLineVertex&>;

// One segment of a chain as the walks see it, worked out once per segment
// so that a walk visiting it twice (entry point, then inner steps) does not
// convert its bulge twice.
struct Segment {
    stArcPara arc;       // the arc when isArc; otherwise only ptStart/ptEnd
    bool isArc = false;  // CPolyLine::GetArcPara answered true
    bool ccw = false;    // travel counter-clockwise: start bulge above 0
};

inline Segment ShapeOf(const CPolyLineVertex& segStart, const CPolyLineVertex& segEnd) {
    Segment seg;
    seg.isArc = CPolyLine::GetArcPara(segStart, segEnd, seg.arc);
    seg.ccw = segStart.bulge > 0.0;
    return seg;
}

// Room for the points of a walk from vertex `first` at spacing dDist: the
// plan chords over dDist, with a quarter more for arcs, which are longer
// than their chords. Reserving it up front spares a long walk the copies of
// a growing array. Capped at a few times the vertex count: a tiny spacing
// then grows the array as it goes instead of claiming memory at once.
inline INT_PTR ExpectedPoints(const CPolyLineVertex* vertices, INT_PTR first, INT_PTR n, double dDist) {
    double chords = 0.0;
    for (INT_PTR i = first; i + 1 < n; ++i) chords += PlanDistance(vertices[i].pt, vertices[i + 1].pt);
    const double expected = 1.25 * chords / dDist + 2.0;
    const double cap = 4.0 * static_cast<double>(n) + 1024.0;
    return static_cast<INT_PTR>(expected < cap ? expected : cap);
}

// Walks step by a positive, finite spacing; anything else would never end.
inline bool IsValidSpacing(double dDist) { return std::isfinite(dDist) && dDist > 0.0; }

// The common start of both spacing walks: empties the result, checks the
// spacing, finds the start on the chain and puts it first in the result.
// Answers the segment the walk starts on, or -1 when there is nothing to walk
// (bad spacing, start off the chain or at its last vertex).
int BeginWalk(CPolyLineVertex& curVertex, double dDist, const CPolyLineVertexArray& vertexArr,
              CPolyLineVertexArray& resultArr);

// Sweep from a to b about center in the arc's sense of travel, in [0, 2*pi).
inline double SweepAlong(const AcGePoint3d& center, const AcGePoint3d& a, const AcGePoint3d& b, bool ccw) {
    return ccw ? AngleAtVertex(center, a, b) : AngleAtVertex(center, b, a);
}

// The sweep left from a cursor on the arc to its end. A cursor accepted
// within tolerance just past the end gives a sweep near a full turn; it has
// nothing left to walk. The cut-off lies halfway round the gap of the circle
// that the arc does not cover, far from any genuine sweep.
inline double SweepLeft(const Segment& seg, const AcGePoint3d& cursor, const AcGePoint3d& segEnd) {
    const double rest = SweepAlong(seg.arc.ptCenter, cursor, segEnd, seg.ccw);
    const double wrapped = seg.arc.angle + 0.5 * (kTwoPi - seg.arc.angle);
    return rest > wrapped ? 0.0 : rest;
}

// Direction angle of the plan vector (x, y), in [0, 2*pi), as GetDirectAngle.
inline double PlanAngle(double x, double y) {
    const double a = std::atan2(y, x);
    if (a >= 0.0) return a;
    const double folded = a + kTwoPi;
    return folded < kTwoPi ? folded : 0.0;
}

// Direction of travel on an arc at the point whose radius vector is radial:
// the radius turned a right angle in the sense of travel (exactly, by
// swapping components).
inline double ArcTravelDirection(const AcGeVector3d& radial, bool ccw) {
    if (radial.x == 0.0 && radial.y == 0.0) return 0.0;  // an arc of no size has no direction
    return ccw ? PlanAngle(-radial.y, radial.x) : PlanAngle(radial.y, -radial.x);
}

// A fixed turn about +Z (ccw) or -Z, worked out once for a run of equal
// steps. Apply() does the host's planar rotateBy arithmetic.
struct StepTurn {
    double cosine = 1.0;
    double sine = 0.0;
    StepTurn(double angle, bool ccw) : cosine(std::cos(angle)), sine(ccw ? std::sin(angle) : -std::sin(angle)) {}
    void Apply(AcGeVector3d& v) const {
        const double x = v.x * cosine - v.y * sine;
        v.y = v.x * sine + v.y * cosine;
        v.x = x;
    }
};

// The point at distance radius from center along radial (GetPolarPoint's
// vector form: a zero vector leaves the centre).
inline AcGePoint3d OnCircle(const AcGePoint3d& center, const AcGeVector3d& radial, double radius) {
    const double length = radial.length();
    return length > 0.0 ? center + radial * (radius / length) : center;
}

// A loop that takes a spacing off a remaining length must see it shrink;
// a spacing below the length's rounding step would spin forever.
inline bool Shrinks(double remaining, double spacing) { return remaining - spacing < remaining; }

// Steps the cursor along a straight segment by dDist while more than dDist
// is left before segEnd, appending each point (direction unchanged: the
// caller has set it). Each point is laid off from where the cursor started,
// so rounding does not pile up along a long segment. Answers the length
// left.
inline double StepAlongLine(CPolyLineVertex& cursor, double dDist, const CPolyLineVertex& segStart,
                            const CPolyLineVertex& segEnd, VertexArray& resultArr) {
    double left = PlanDistance(cursor.pt, segEnd.pt);
    const PlaneDirection dir = DirectionOf(segStart.pt, segEnd.pt);
    const AcGePoint3d from = cursor.pt;
    double travelled = 0.0;
    while (dDist < left && Shrinks(left, dDist)) {
        travelled += dDist;
        cursor.pt = MoveAlong(from, dir, travelled);
        resultArr.Add(cursor);
        left -= dDist;
    }
    return left;
}

// Steps the cursor along an arc segment by the central angle step while more
// than step is left before segEnd, appending each point with its direction.
// The radius vector turns cumulatively and each point is rebuilt from the
// centre, so the radius does not drift. Answers the sweep left.
inline double StepAlongArc(CPolyLineVertex& cursor, double step, const Segment& seg, const CPolyLineVertex& segEnd,
                           VertexArray& resultArr) {
    const AcGePoint3d& center = seg.arc.ptCenter;
    const StepTurn turn(step, seg.ccw);
    AcGeVector3d radial = cursor.pt - center;
    double rest = SweepLeft(seg, cursor.pt, segEnd.pt);
    while (step < rest && Shrinks(rest, step)) {
        turn.Apply(radial);
        cursor.pt = OnCircle(center, radial, seg.arc.radius);
        cursor.bulge = ArcTravelDirection(radial, seg.ccw);
        resultArr.Add(cursor);
        rest -= step;
    }
    return rest;
}

}  // namespace drovik::measure
