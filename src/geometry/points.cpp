// Points, projections and membership tests.
#include "drovik/geometry/points.h"

#include <cmath>

#include "drovik/geometry/plane.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::IsNear;
using drovik::IsNegligible;
using drovik::kPi;
using drovik::kTwoPi;

namespace {
// Counter-clockwise angle from the radius through `from` to the one through `pt`.
double SweepFrom(const AcGePoint3d& center, const AcGePoint3d& from, const AcGePoint3d& pt) {
    return (from - center).angleTo(pt - center, AcGeVector3d::kZAxis);
}

// Included angle of an arc given by its angles; nearly equal angles give 0.
double IncludedAngle(double dStartAngle, double dEndAngle) {
    if (IsNegligible(dEndAngle - dStartAngle)) return 0.0;
    if (dStartAngle < dEndAngle) return dEndAngle - dStartAngle;
    return kTwoPi - dStartAngle + dEndAngle;
}

bool OnCircle(const AcGePoint3d& pt, const AcGePoint3d& center, double radius) {
    return IsNegligible(pt.distanceTo(center) - radius);
}
}  // namespace

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
    const double included = IncludedAngle(dStartAngle, dEndAngle);
    const AcGePoint3d start = GetPolarPoint(ptCenter, dStartAngle, dRadius);
    const AcGePoint3d end = GetPolarPoint(ptCenter, dEndAngle, dRadius);
    if (IsNear(pt, start) || IsNear(pt, end)) return true;
    return SweepFrom(ptCenter, start, pt) <= included;
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
