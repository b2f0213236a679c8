// Maximum fillet radius and cut at a corner of lines and arcs.
#include "drovik/corners/max_radius.h"

#include <algorithm>
#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;

namespace {

constexpr double kNoRadius = -1.0;
// Sum of the legs' unit directions below which they point opposite ways.
constexpr double kOppositeLegsTol = 1e-12;

// An arc seen from the corner towards its far end.
struct ArcFromCorner {
    AcGeVector3d tangent;  // at the corner, pointing along the arc, length R
    double length = 0.0;   // arc length from the corner to the far end
    AcGePoint3d ahead;     // one radius along the tangent from the corner
};

ArcFromCorner LeaveArc(const stArcPara& arc, const AcGePoint3d& corner, const AcGePoint3d& farEnd) {
    ArcFromCorner out;
    AcGeVector3d radial = corner - arc.ptCenter;
    double sweep = 0.0;
    if (drovik::IsNear(farEnd, arc.ptStart)) {
        // Towards ptStart the record is walked backwards: clockwise.
        sweep = radial.angleTo(arc.ptStart - arc.ptCenter, -AcGeVector3d::kZAxis);
        radial.rotateBy(kHalfPi, -AcGeVector3d::kZAxis);
    } else {
        sweep = radial.angleTo(arc.ptEnd - arc.ptCenter, AcGeVector3d::kZAxis);
        radial.rotateBy(kHalfPi, AcGeVector3d::kZAxis);
    }
    out.tangent = radial;
    out.length = sweep * arc.radius;
    out.ahead = GetPolarPoint(corner, out.tangent, arc.radius);
    return out;
}

double TwoLegRadius(const AcGePoint3d& corner, const AcGePoint3d& pt1, const AcGePoint3d& pt2, double& shorterLeg) {
    const double theta = CornerAngle(corner, pt1, pt2);
    shorterLeg = std::min(corner.distanceTo(pt1), corner.distanceTo(pt2));
    return std::tan(theta * 0.5) * shorterLeg;
}

}  // namespace

double CalMaxRad(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2) {
    double shorterLeg = 0.0;
    return TwoLegRadius(ptCorner, pt1, pt2, shorterLeg);
}

void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2, double& dMaxRad, double& dMaxCut) {
    double shorterLeg = 0.0;
    dMaxRad = TwoLegRadius(ptCorner, pt1, pt2, shorterLeg);
    dMaxCut = shorterLeg;
}

void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d ptLineEnd, AcGePoint3d ptArcEnd, const stArcPara& arc,
                  double& dMaxRad, double& dMaxCut, bool& bSameSide, AcGeVector3d& vSide) {
    const AcGeVector3d leg = ptLineEnd - ptCorner;
    const ArcFromCorner leave = LeaveArc(arc, ptCorner, ptArcEnd);

    AcGePoint3d foot;
    GetProjectPoint(arc.ptCenter, ptCorner, ptLineEnd, foot);
    const AcGeVector3d toFoot = foot - ptCorner;
    const double phi = leave.tangent.angleTo(toFoot);
    const double centreHeight = foot.distanceTo(arc.ptCenter);

    bSameSide = toFoot.isCodirectionalTo(leg, AcGeContext::gTol);
    if (!bSameSide) {
        dMaxRad = kNoRadius;
    } else if (phi > kHalfPi) {
        dMaxRad = (centreHeight + arc.radius) * 0.5;
    } else {
        dMaxRad = (arc.radius - centreHeight) * 0.5;
    }
    dMaxCut = std::min({ptCorner.distanceTo(ptLineEnd), arc.radius * phi, leave.length});

    AcGePoint3d aheadFoot;
    GetProjectPoint(leave.ahead, ptCorner, ptLineEnd, aheadFoot);
    vSide = leave.ahead - aheadFoot;
}

void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d ptArcEnd1, AcGePoint3d ptArcEnd2, const stArcPara& arc1,
                  const stArcPara& arc2, double& dMaxRad, double& dMaxCut, bool& bSide1, bool& bSide2) {
    const ArcFromCorner leave1 = LeaveArc(arc1, ptCorner, ptArcEnd1);
    const ArcFromCorner leave2 = LeaveArc(arc2, ptCorner, ptArcEnd2);

    AcGePoint3d foot1;
    GetProjectPoint(arc1.ptCenter, ptCorner, leave2.ahead, foot1);
    bSide1 = leave2.tangent.isCodirectionalTo(foot1 - ptCorner, AcGeContext::gTol);
    AcGePoint3d foot2;
    GetProjectPoint(arc2.ptCenter, ptCorner, leave1.ahead, foot2);
    bSide2 = leave1.tangent.isCodirectionalTo(foot2 - ptCorner, AcGeContext::gTol);

    const AcGePoint3d& c1 = arc1.ptCenter;
    const AcGePoint3d& c2 = arc2.ptCenter;
    const double r1 = arc1.radius;
    const double r2 = arc2.radius;
    const double centres = c1.distanceTo(c2);
    if (!bSide1 && !bSide2) {
        dMaxRad = kNoRadius;
        return;
    }
    // X1 and X2: where the line of centres meets each circle on the side the
    // rounding arc touches.
    AcGePoint3d x1;
    AcGePoint3d x2;
    if (bSide1 && bSide2) {
        dMaxRad = (r1 + r2 - centres) * 0.5;
        x1 = GetPolarPoint(c1, c2 - c1, r1);
        x2 = GetPolarPoint(c2, c1 - c2, r2);
    } else if (bSide1) {
        dMaxRad = (centres + r1 - r2) * 0.5;
        x1 = GetPolarPoint(c1, c1 - c2, r1);
        x2 = GetPolarPoint(c2, c1 - c2, r2);
    } else {
        dMaxRad = (centres + r2 - r1) * 0.5;
        x1 = GetPolarPoint(c1, c2 - c1, r1);
        x2 = GetPolarPoint(c2, c2 - c1, r2);
    }
    const double toX1 = CornerAngle(c1, ptCorner, x1) * r1;
    const double toX2 = CornerAngle(c2, ptCorner, x2) * r2;
    dMaxCut = std::min({toX1, toX2, leave1.length, leave2.length});
}

void GetLineArcDirect(const AcGePoint3d& pt1, const AcGePoint3d& pt2, const stArcPara& arc, AcGeVector3d& vDir1,
                      AcGeVector3d& vDir2, bool bLine) {
    if (bLine) {
        vDir1 = pt1 - pt2;
        vDir2 = pt2 - pt1;
        return;
    }
    const AcGeVector3d radial1 = pt1 - arc.ptCenter;
    const AcGeVector3d middle = arc.ptMid - arc.ptCenter;
    // pt1 counter-clockwise of the middle: it is the arc's end side.
    const bool pt1AtEnd = middle.crossProduct(radial1).z > 0.0;
    vDir1 = radial1;
    vDir2 = pt2 - arc.ptCenter;
    vDir1.rotateBy(kHalfPi, pt1AtEnd ? AcGeVector3d::kZAxis : -AcGeVector3d::kZAxis);
    vDir2.rotateBy(kHalfPi, pt1AtEnd ? -AcGeVector3d::kZAxis : AcGeVector3d::kZAxis);
}

AcGePoint3d GetSplitPt(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2, double dDist) {
    // Equal legs out of the corner (unit directions rather than points far
    // out, which would only add rounding): their sum runs along the bisector.
    const drovik::PlaneDirection leg1 = drovik::DirectionOf(ptCorner, pt1);
    const drovik::PlaneDirection leg2 = drovik::DirectionOf(ptCorner, pt2);
    const double sx = leg1.cosine + leg2.cosine;
    const double sy = leg1.sine + leg2.sine;
    if (std::hypot(sx, sy) <= kOppositeLegsTol) {
        // Opposite legs: both perpendiculars bisect; take the one to the left of leg 1.
        return drovik::MoveAlong(ptCorner, leg1.LeftNormal(), dDist);
    }
    return GetPolarPoint(ptCorner, GetDirectAngle(ptCorner, ptCorner + AcGeVector3d(sx, sy, 0.0)), dDist);
}
