#pragma once
// An arc given by centre, radius and angles. Its end points are worked out
// only for a point outside the angular range, the one case that needs them.
#include "drovik/host/geometry.h"

namespace drovik {

struct ArcRange {
    AcGePoint3d center;
    double radius = 0.0;
    double startAngle = 0.0;
    double endAngle = 0.0;
    double included = 0.0;  // 0 when the angles are closer than the common tolerance

    static ArcRange FromAngles(const AcGePoint3d& center, double radius, double startAngle, double endAngle);

    // Within the angular range (near an end point counts; radius not tested).
    bool Includes(const AcGePoint3d& pt) const;
    // On the circle within the common tolerance and within the range.
    bool Contains(const AcGePoint3d& pt) const;
};

// Counter-clockwise angle at center from the radius through `from` to the
// one through `pt`, in [0, 2*pi).
double SweepFrom(const AcGePoint3d& center, const AcGePoint3d& from, const AcGePoint3d& pt);

// pt lies on the circle within the common tolerance.
bool OnCircle(const AcGePoint3d& pt, const AcGePoint3d& center, double radius);

}  // namespace drovik
