#pragma once
// Shared pieces of the measuring walks (internal).
#include <cmath>

#include "drovik/geometry/arc.h"
#include "drovik/geometry/polyline.h"
#include "drovik/geometry/vertex.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

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

// Walks step by a positive, finite spacing; anything else would never end.
inline bool IsValidSpacing(double dDist) { return std::isfinite(dDist) && dDist > 0.0; }

// The axis an arc's travel turns about.
inline AcGeVector3d TravelAxis(bool ccw) { return ccw ? AcGeVector3d::kZAxis : -AcGeVector3d::kZAxis; }

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

// Direction of travel on an arc at the point whose radius vector is radial.
inline double ArcTravelDirection(AcGeVector3d radial, const AcGeVector3d& axis) {
    radial.rotateBy(kHalfPi, axis);
    return AcGeVector3d::kXAxis.angleTo(radial, AcGeVector3d::kZAxis);
}

// A loop that takes a spacing off a remaining length must see it shrink;
// a spacing below the length's rounding step would spin forever.
inline bool Shrinks(double remaining, double spacing) { return remaining - spacing < remaining; }

}  // namespace drovik::measure
