// Bulge to arc: the one place a bulged segment becomes an stArcPara.
#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/polyline.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::MoveAlong;
using drovik::PlaneDirection;

bool CPolyLine::GetArcPara(const CPolyLineVertex& vtx1, const CPolyLineVertex& vtx2, stArcPara& arc) {
    const double bulge = vtx1.bulge;
    arc.ptStart = vtx1.pt;
    arc.ptEnd = vtx2.pt;
    if (!(bulge > 0.0 || bulge < 0.0)) return false;  // 0 or NaN: a straight segment

    // With b = |bulge| the half included angle is 2*atan(b), whose sine and
    // cosine are algebraic in b: no trigonometry beyond the angle itself.
    const double b = std::fabs(bulge);
    const double denom = 1.0 + b * b;
    const double sinHalf = 2.0 * b / denom;
    const double cosHalf = (1.0 - b * b) / denom;
    const double chord = vtx1.pt.distanceTo(vtx2.pt);
    const PlaneDirection chordDir = drovik::DirectionOf(vtx1.pt, vtx2.pt);

    arc.angle = 4.0 * std::atan(b);
    arc.radius = (chord * 0.5) / sinHalf;
    // The centre lies (pi - angle) / 2 off the chord, to the left for a
    // counter-clockwise bulge; the middle point lies a right angle off the
    // chord on the other side of the centre.
    if (bulge > 0.0) {
        arc.ptCenter = MoveAlong(vtx1.pt, chordDir.Turned(sinHalf, cosHalf), arc.radius);
        arc.ptMid = MoveAlong(arc.ptCenter, chordDir.RightNormal(), arc.radius);
    } else {
        arc.ptCenter = MoveAlong(vtx1.pt, chordDir.Turned(sinHalf, -cosHalf), arc.radius);
        arc.ptMid = MoveAlong(arc.ptCenter, chordDir.LeftNormal(), arc.radius);
    }
    // Keep the record counter-clockwise: a clockwise segment runs from vtx2.
    if (RotateDirect(arc.ptStart, arc.ptMid, arc.ptEnd) == 1) {
        arc.ptStart = vtx2.pt;
        arc.ptEnd = vtx1.pt;
    }
    arc.length = arc.angle * arc.radius;
    arc.startAngle = GetDirectAngle(arc.ptCenter, arc.ptStart);
    arc.endAngle = GetDirectAngle(arc.ptCenter, arc.ptEnd);
    return true;
}
