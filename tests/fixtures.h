#pragma once
// Value builders shared by the tests and the benchmarks (no GoogleTest here).
#include "drovik/geometry/arc.h"

// The arc about center from startAngle to endAngle, worked out with Reset.
inline stArcPara ArcOf(const AcGePoint3d& center, double radius, double startAngle, double endAngle) {
    stArcPara arc;
    arc.ptCenter = center;
    arc.radius = radius;
    arc.startAngle = startAngle;
    arc.endAngle = endAngle;
    arc.Reset();
    return arc;
}
