// Points, projections and membership tests.
#include "drovik/geometry/points.h"

#include <cmath>

#include "drovik/geometry/plane.h"
#include "geometry/angles.h"
#include "geometry/arc_range.h"
#include "geometry/constants.h"

using drovik::IsNear;
using drovik::IsNegligible;
using drovik::kPi;
using drovik::kTwoPi;

namespace drovik {

double SweepFrom(const AcGePoint3d& center, const AcGePoint3d& from, const AcGePoint3d& pt) {
    const AcGeVector3d a = from - center;
    const AcGeVector3d b = pt - center;
    if (a.z != 0.0 || b.z != 0.0) return a.angleTo(b, AcGeVector3d::kZAxis);
    // In the plane the host's angle is atan2 of the cross and dot products,
    // folded into [0, 2*pi); computed directly on this hot path.
    const double sweep = std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
    if (sweep >= 0.0) return sweep;
    const double folded = sweep + kTwoPi;
    return folded < kTwoPi ? folded : 0.0;
}

bool OnCircle(const AcGePoint3d& pt, const AcGePoint3d& center, double radius) {
    return IsNegligible(pt.distanceTo(center) - radius);
}

ArcRange ArcRange::FromAngles(const AcGePoint3d& center, double radius, double startAngle, double endAngle) {
    ArcRange arc;
    arc.center = center;
    arc.radius = radius;
    arc.startAngle = startAngle;
    arc.endAngle = endAngle;
    if (IsNegligible(endAngle - startAngle))
        arc.included = 0.0;
    else if (startAngle < endAngle)
        arc.included = endAngle - startAngle;
    else
        arc.included = kTwoPi - startAngle + endAngle;
    return arc;
}

bool ArcRange::Includes(const AcGePoint3d& pt) const {
    // The sweep from the start radius, measured from the start angle rather
    // than from the start point; the two differ only by rounding.
    double sweep = GetDirectAngle(center, pt) - startAngle;
    if (sweep < 0.0) sweep += kTwoPi;
    if (sweep >= kTwoPi) sweep -= kTwoPi;
    if (sweep <= included) return true;
    return IsNear(pt, GetPolarPoint(center, startAngle, radius)) || IsNear(pt, GetPolarPoint(center, endAngle, radius));
}

bool ArcRange::Contains(const AcGePoint3d& pt) const { return OnCircle(pt, center, radius) && Includes(pt); }

}  // namespace drovik

using drovik::ArcRange;
using drovik::OnCircle;
using drovik::SweepFrom;

AcGePoint3d GetMidPt(AcGePoint3d ptA, AcGePoint3d ptB) {
    return AcGePoint3d((ptA.x + ptB.x) * 0.5, (ptA.y + ptB.y) * 0.5, (ptA.z + ptB.z) * 0.5);
}

void GetProjectPoint(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d& ptFoot) {
    const AcGeVector3d d = ptB - ptA;
    const double lengthSqrd = d.dotProduct(d);
    if (lengthSqrd < drovik::kProjectionTol) {
        ptFoot = ptA;
        return;
    }
    const double t = (d.dotProduct(pt.asVector()) - d.dotProduct(ptA.asVector())) / lengthSqrd;
    ptFoot = ptA + d * t;
}

void GetProjectPoint(AcGePoint3d pt, AcGePoint3d ptA, AcGeVector3d vDir, AcGePoint3d& ptFoot) {
    GetProjectPoint(pt, ptA, GetPolarPoint(ptA, vDir, 1000.0), ptFoot);
}

bool PtOnLine(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB) {
    if (IsNear(pt, ptA) || IsNear(pt, ptB)) return true;
    return IsNegligible(pt.distanceTo(ptA) + pt.distanceTo(ptB) - ptA.distanceTo(ptB));
}

bool ArcIncludePt(AcGePoint3d pt, const stArcPara& arc) {
    if (IsNear(pt, arc.ptStart) || IsNear(pt, arc.ptEnd)) return true;
    return SweepFrom(arc.ptCenter, arc.ptStart, pt) <= arc.angle;
}

bool ArcIncludePt(AcGePoint3d pt, AcGePoint3d ptCenter, double dRadius, double dStartAngle, double dEndAngle) {
    return ArcRange::FromAngles(ptCenter, dRadius, dStartAngle, dEndAngle).Includes(pt);
}

bool PtOnArc(AcGePoint3d pt, const stArcPara& arc) {
    return OnCircle(pt, arc.ptCenter, arc.radius) && ArcIncludePt(pt, arc);
}

bool PtOnArc(AcGePoint3d pt, AcGePoint3d ptCenter, double dRadius, double dStartAngle, double dEndAngle) {
    return OnCircle(pt, ptCenter, dRadius) && ArcIncludePt(pt, ptCenter, dRadius, dStartAngle, dEndAngle);
}

bool GetArcIntersPt(const stArcPara& arc, AcGePoint3d& ptInters) {
    const double towardsMid = GetDirectAngle(arc.ptCenter, arc.ptMid);
    if (arc.angle < kPi) {
        ptInters = GetPolarPoint(arc.ptCenter, towardsMid, arc.radius / std::cos(arc.angle * 0.5));
        return true;
    }
    if (arc.angle > kPi) {
        ptInters = GetPolarPoint(arc.ptCenter, towardsMid + kPi, arc.radius / std::cos((kTwoPi - arc.angle) * 0.5));
        return true;
    }
    return false;  // a half circle: the end tangents are parallel
}
