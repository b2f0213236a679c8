// Value types and basic plane operations.
#include "drovik/geometry/plane.h"

#include <cmath>

#include "drovik/geometry/arc.h"
#include "drovik/geometry/vertex.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::kTwoPi;

double GetDirectAngle(AcGePoint3d ptFrom, AcGePoint3d ptTo) {
    const AcGeVector3d v = ptTo - ptFrom;
    if (v.z != 0.0) return AcGeVector3d::kXAxis.angleTo(v, AcGeVector3d::kZAxis);
    // In the plane the host's angle is atan2 folded into [0, 2*pi); computed
    // directly because every arc walk calls this several times per segment.
    const double a = std::atan2(v.y, v.x);
    if (a >= 0.0) return a;
    const double folded = a + kTwoPi;
    return folded < kTwoPi ? folded : 0.0;
}

namespace drovik {
PlaneDirection DirectionOf(const AcGePoint3d& ptFrom, const AcGePoint3d& ptTo) {
    const double dx = ptTo.x - ptFrom.x;
    const double dy = ptTo.y - ptFrom.y;
    if (ptTo.z != ptFrom.z) return DirectionAt(GetDirectAngle(ptFrom, ptTo));
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0) return {};  // GetDirectAngle answers 0 for equal points
    return {dx / length, dy / length};
}

PlaneDirection DirectionAt(double angle) { return {std::cos(angle), std::sin(angle)}; }
}  // namespace drovik

double CornerAngle(AcGePoint3d P, AcGePoint3d Q, AcGePoint3d R) { return (Q - P).angleTo(R - P); }

AcGePoint3d GetPolarPoint(const AcGePoint3d& ptBase, double dAngle, double dDist) {
    // The X axis turned by dAngle about +Z, scaled by dDist.
    return AcGePoint3d(ptBase.x + dDist * std::cos(dAngle), ptBase.y + dDist * std::sin(dAngle), ptBase.z);
}

AcGePoint3d GetPolarPoint(const AcGePoint3d& ptBase, AcGeVector3d vDir, double dDist) {
    vDir.normalize(AcGeContext::gTol);
    return ptBase + vDir * dDist;
}

int RotateDirect(AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d ptC) {
    const double z = (ptB - ptA).crossProduct(ptC - ptB).z;
    if (z > 0.0) return -1;
    if (z < 0.0) return 1;
    return 0;
}

// ---- stArcPara ----

stArcPara::stArcPara() = default;
stArcPara::stArcPara(const stArcPara& other) = default;

stArcPara& stArcPara::operator=(const stArcPara& other) {
    if (this != &other) {
        ptStart = other.ptStart;
        ptEnd = other.ptEnd;
        ptCenter = other.ptCenter;
        ptMid = other.ptMid;
        radius = other.radius;
        length = other.length;
        startAngle = other.startAngle;
        endAngle = other.endAngle;
        angle = other.angle;
    }
    return *this;
}

void stArcPara::Reset() {
    ptStart = GetPolarPoint(ptCenter, startAngle, radius);
    ptEnd = GetPolarPoint(ptCenter, endAngle, radius);
    // For a counter-clockwise arc the chord direction minus a right angle
    // bisects the arc, whatever its included angle.
    ptMid = GetPolarPoint(ptCenter, GetDirectAngle(ptStart, ptEnd) - kHalfPi, radius);
    angle = endAngle - startAngle;
    if (angle < 0.0) angle += kTwoPi;
    length = angle * radius;
}

// ---- CPolyLineVertex ----

CPolyLineVertex::CPolyLineVertex() = default;
CPolyLineVertex::CPolyLineVertex(AcGePoint3d point, double dBulge) : pt(point), bulge(dBulge) {}
CPolyLineVertex::CPolyLineVertex(AcGePoint3d point, AcGePoint3d point2) : pt(point), pt2(point2) {}
CPolyLineVertex::CPolyLineVertex(const CPolyLineVertex& other) = default;

CPolyLineVertex& CPolyLineVertex::operator=(const CPolyLineVertex& other) {
    if (this != &other) {
        pt = other.pt;
        pt2 = other.pt2;
        bulge = other.bulge;
    }
    return *this;
}

CPolyLineVertex::~CPolyLineVertex() = default;
