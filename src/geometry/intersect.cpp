// Line, arc and circle intersections, and tangent points.
#include "drovik/geometry/intersect.h"

#include <algorithm>
#include <cmath>

#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "geometry/angles.h"
#include "geometry/arc_range.h"
#include "geometry/constants.h"

using drovik::IsNegligible;
using drovik::kHalfPi;
using drovik::MoveAlong;
using drovik::PlaneDirection;

namespace {

// Keeps the candidates that pass `accept`, first ones first; a lone second
// survivor moves up into ptInt1. Answers how many survived.
template <class Accept>
int KeepAccepted(int candidates, AcGePoint3d& ptInt1, AcGePoint3d& ptInt2, Accept accept) {
    int count = accept(ptInt1) ? 1 : 0;
    if (candidates == 2 && accept(ptInt2)) {
        ++count;
        if (count == 1) ptInt1 = ptInt2;
    }
    return count;
}

// Foot of the perpendicular from centre on the line and its distance.
struct LineFoot {
    AcGePoint3d foot;
    double distance;
};

LineFoot FootOnLine(const AcGePoint3d& center, const AcGePoint3d& ptA, const AcGePoint3d& ptB) {
    LineFoot result{};
    GetProjectPoint(center, ptA, ptB, result.foot);
    result.distance = result.foot.distanceTo(center);
    return result;
}

// The circle-line candidates of an unbounded line: 0, 1 (exact touch) or 2.
int CircleLineCandidates(const AcGePoint3d& center, double radius, const AcGePoint3d& ptA, const AcGePoint3d& ptB,
                         AcGePoint3d& ptInt1, AcGePoint3d& ptInt2) {
    const LineFoot f = FootOnLine(center, ptA, ptB);
    if (f.distance > radius) return 0;
    if (f.distance == radius) {  // an exact touch; no tolerance by design
        ptInt1 = f.foot;
        return 1;
    }
    const double halfChord = std::sqrt(radius * radius - f.distance * f.distance);
    const PlaneDirection direction = drovik::DirectionOf(ptA, ptB);
    ptInt1 = MoveAlong(f.foot, direction.Reversed(), halfChord);  // the side of ptA
    ptInt2 = MoveAlong(f.foot, direction, halfChord);
    return 2;
}

}  // namespace

bool GetIntersPoint(AcGePoint3d ptA1, AcGePoint3d ptA2, AcGePoint3d ptB1, AcGePoint3d ptB2, AcGePoint3d& ptInt,
                    bool bOnSeg) {
    if (bOnSeg) return AcGeLineSeg3d(ptA1, ptA2).intersectWith(AcGeLineSeg3d(ptB1, ptB2), ptInt, AcGeContext::gTol);
    return AcGeLine3d(ptA1, ptA2).intersectWith(AcGeLine3d(ptB1, ptB2), ptInt, AcGeContext::gTol);
}

AcGePoint3d GetTanLinePt(AcGePoint3d ptCenter, AcGePoint3d pt, double dLen) {
    AcGeVector3d tangent = pt - ptCenter;
    tangent.rotateBy(kHalfPi, AcGeVector3d::kZAxis);
    const double distance = std::fabs(dLen) <= drovik::kCoincidentTol ? 100.0 : dLen;
    return GetPolarPoint(pt, tangent, distance);
}

int GetCCIpt(const AcGePoint3d& ptC1, double dR1, const AcGePoint3d& ptC2, double dR2, AcGePoint3d& ptInt1,
             AcGePoint3d& ptInt2) {
    const double d = ptC1.distanceTo(ptC2);
    if (IsNegligible(d)) return -1;
    if (dR1 + dR2 < d) return 0;               // apart
    if (std::fabs(dR1 - dR2) > d) return 0;    // one inside the other
    const PlaneDirection towardsC2 = drovik::DirectionOf(ptC1, ptC2);
    const PlaneDirection towardsC1 = drovik::DirectionOf(ptC2, ptC1);
    if (IsNegligible(d - dR1 - dR2)) {  // outer touch
        ptInt1 = MoveAlong(ptC2, towardsC1, dR2);
        return 1;
    }
    if (IsNegligible(d - std::fabs(dR1 - dR2))) {  // inner touch, on the larger circle
        ptInt1 = dR2 < dR1 ? MoveAlong(ptC1, towardsC2, dR1) : MoveAlong(ptC2, towardsC1, dR2);
        return 1;
    }
    // The half angle at the first centre, by the law of cosines. Near a touch
    // the cosine can fall a rounding error outside [-1, 1]: clamp it.
    const double cosine = std::clamp((dR1 * dR1 + d * d - dR2 * dR2) / (2.0 * dR1 * d), -1.0, 1.0);
    const double sine = std::sqrt(1.0 - cosine * cosine);
    ptInt1 = MoveAlong(ptC1, towardsC2.Turned(cosine, sine), dR1);
    ptInt2 = MoveAlong(ptC1, towardsC2.Turned(cosine, -sine), dR1);
    return 2;
}

int GetArcArcIpt(const stArcPara& arc1, const stArcPara& arc2, AcGePoint3d& ptInt1, AcGePoint3d& ptInt2,
                 bool bOnArc) {
    const int candidates = GetCCIpt(arc1.ptCenter, arc1.radius, arc2.ptCenter, arc2.radius, ptInt1, ptInt2);
    if (!bOnArc || candidates <= 0) return candidates;
    return KeepAccepted(candidates, ptInt1, ptInt2,
                        [&](const AcGePoint3d& pt) { return PtOnArc(pt, arc1) && PtOnArc(pt, arc2); });
}

int GetCLineIpt(const AcGePoint3d& ptCenter, double dRadius, const AcGePoint3d& ptA, AcGePoint3d& ptB,
                AcGePoint3d& ptInt1, AcGePoint3d& ptInt2) {
    return CircleLineCandidates(ptCenter, dRadius, ptA, ptB, ptInt1, ptInt2);
}

int GetLineArcIpt(AcGePoint3d ptA, AcGePoint3d ptB, const stArcPara& arc, AcGePoint3d& ptInt1, AcGePoint3d& ptInt2,
                  bool bOnSeg) {
    return GetLineArcIpt(ptA, ptB, arc.ptCenter, arc.radius, arc.startAngle, arc.endAngle, ptInt1, ptInt2, bOnSeg);
}

int GetLineArcIpt(AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d ptCenter, double dRadius, double dStartAngle,
                  double dEndAngle, AcGePoint3d& ptInt1, AcGePoint3d& ptInt2, bool bOnSeg) {
    const int candidates = CircleLineCandidates(ptCenter, dRadius, ptA, ptB, ptInt1, ptInt2);
    if (!bOnSeg || candidates == 0) return candidates;
    const drovik::ArcRange arc = drovik::ArcRange::FromAngles(ptCenter, dRadius, dStartAngle, dEndAngle);
    return KeepAccepted(candidates, ptInt1, ptInt2,
                        [&](const AcGePoint3d& pt) { return PtOnLine(pt, ptA, ptB) && arc.Contains(pt); });
}
