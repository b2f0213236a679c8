#pragma once
// Plan (XY) measures: chains lie in a plane parallel to XY, so lengths along
// them ignore Z.
#include <cmath>

#include "drovik/host/geometry.h"

namespace drovik {

inline double PlanDistance(const AcGePoint3d& a, const AcGePoint3d& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace drovik
