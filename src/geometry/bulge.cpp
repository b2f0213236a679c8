// Bulge to arc: the one place a bulged segment becomes an stArcPara.
#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/polyline.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::kPi;

bool CPolyLine::GetArcPara(const CPolyLineVertex& vtx1, const CPolyLineVertex& vtx2, stArcPara& arc) {
    const double bulge = vtx1.bulge;
    arc.ptStart = vtx1.pt;
    arc.ptEnd = vtx2.pt;
    if (!(bulge > 0.0 || bulge < 0.0)) return false;  // 0 or NaN: a straight segment

    const double chord = vtx1.pt.distanceTo(vtx2.pt);
    const double chordAngle = GetDirectAngle(vtx1.pt, vtx2.pt);
    const bool counterClockwise = bulge > 0.0;
    arc.angle = 4.0 * std::atan(std::fabs(bulge));
    arc.radius = (chord * 0.5) / std::sin(arc.angle * 0.5);
    const double toCenter = (kPi - arc.angle) * 0.5;
    if (counterClockwise) {
        arc.ptCenter = GetPolarPoint(vtx1.pt, chordAngle + toCenter, arc.radius);
        arc.ptMid = GetPolarPoint(arc.ptCenter, chordAngle - kHalfPi, arc.radius);
    } else {
        arc.ptCenter = GetPolarPoint(vtx1.pt, chordAngle - toCenter, arc.radius);
        arc.ptMid = GetPolarPoint(arc.ptCenter, chordAngle + kHalfPi, arc.radius);
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
