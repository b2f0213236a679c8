#pragma once
// Headless host internals: small geometry rules the entity sources share.
#include <cmath>
#include <vector>

#include "dbmain.h"

namespace host_detail {

constexpr double kTwoPi = 6.283185307179586;

// The angle brought into [0, 2*pi); non-finite values pass unchanged.
inline double NormalizeAngle(double a) {
    if (!std::isfinite(a)) return a;
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    if (a >= kTwoPi) a = 0.0;
    return a;
}

inline double AngleOf(double dx, double dy) { return NormalizeAngle(std::atan2(dy, dx)); }

inline bool Finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
inline bool Finite(const AcGeVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Uniform scale of the matrix in the XY plane, and whether it mirrors.
inline double PlaneScale(const AcGeMatrix3d& m, bool& mirrors) {
    const AcGeVector3d x = m * AcGeVector3d::kXAxis;
    const AcGeVector3d y = m * AcGeVector3d::kYAxis;
    mirrors = x.x * y.y - x.y * y.x < 0;
    return std::hypot(x.x, x.y);
}

// The turn the matrix gives the X axis in the XY plane.
inline double RotationOf(const AcGeMatrix3d& m) {
    const AcGeVector3d x = m * AcGeVector3d::kXAxis;
    return AngleOf(x.x, x.y);
}

// Whether the matrix scales the XY plane the same in every direction
// (a similarity, mirrored or not), within a relative 1e-9.
inline bool IsPlaneSimilarity(const AcGeMatrix3d& m) {
    const AcGeVector3d x = m * AcGeVector3d::kXAxis;
    const AcGeVector3d y = m * AcGeVector3d::kYAxis;
    const double lx = x.length(), ly = y.length();
    return std::fabs(lx - ly) <= 1e-9 * std::max(lx, ly) && std::fabs(x.dotProduct(y)) <= 1e-9 * lx * ly;
}

// The host's arbitrary axis rule: the X and Y axes of the plane of a normal
// (its object coordinate system).
inline void PlaneAxes(const AcGeVector3d& normal, AcGeVector3d& xAxis, AcGeVector3d& yAxis) {
    const AcGeVector3d n = normal.normal();
    const double limit = 1.0 / 64.0;
    xAxis = (std::fabs(n.x) < limit && std::fabs(n.y) < limit) ? AcGeVector3d::kYAxis.crossProduct(n)
                                                               : AcGeVector3d::kZAxis.crossProduct(n);
    xAxis.normalize();
    yAxis = n.crossProduct(xAxis).normal();
}

// The box of the eight corners of a box taken through a matrix.
inline AcDbExtents TransformedBox(const AcDbExtents& box, const AcGeMatrix3d& m) {
    AcDbExtents out;
    if (box.isEmpty()) return out;
    const AcGePoint3d lo = box.minPoint(), hi = box.maxPoint();
    for (int i = 0; i < 8; ++i)
        out.addPoint(m * AcGePoint3d(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z));
    return out;
}

// Curve pieces (dbcurves.cpp). Arcs run counter-clockwise from start to end
// angle; a bulged segment is the arc from p1 to p2 the bulge shapes.
AcGePoint3d ClosestOnSegment(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p, bool extend);
AcGePoint3d PointAtAngle(const AcGePoint3d& c, double r, double a);
AcGePoint3d ClosestOnArc(const AcGePoint3d& c, double r, double start, double end, const AcGePoint3d& p, bool full);
bool BulgeArc(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, AcGePoint3d& c, double& r, double& start,
              double& end);
AcGePoint3d ClosestOnBulgeSegment(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, const AcGePoint3d& p);
void AddArcExtents(const AcGePoint3d& c, double r, double start, double end, bool full, AcDbExtents& ext);
void AddBulgeSegmentExtents(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, AcDbExtents& ext);

// Opens each object for write; on the first refusal closes those already
// opened and answers the refusal.
Acad::ErrorStatus OpenAllForWrite(const std::vector<AcDbObjectId>& ids, std::vector<AcDbEntity*>& opened);

}  // namespace host_detail
