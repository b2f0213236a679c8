#pragma once
// Named tolerances and angle constants, used everywhere instead of bare numbers.
#include <cmath>

#include "drovik/host/geometry.h"

namespace drovik {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;

// The library's common tolerance: distances strictly below it count as zero.
constexpr double kCoincidentTol = 0.001;
// Squared length below which a projection's base line is a single point.
constexpr double kProjectionTol = 1e-9;
// |bulge| at or below which the chain offset treats a segment as straight.
constexpr double kStraightBulgeTol = 0.0001;
// Parallel offsets: ends of offset pieces closer than this are one point
// (far below the common tolerance, far above rounding on drawing-sized
// coordinates taken about a local origin).
constexpr double kOffsetJoinTol = 1e-6;

inline bool IsNegligible(double length) { return std::fabs(length) < kCoincidentTol; }
inline bool IsNear(const AcGePoint3d& a, const AcGePoint3d& b) { return IsNegligible(a.distanceTo(b)); }
// A segment starting with this bulge is an arc for the chain offsets.
inline bool IsArcBulge(double bulge) { return std::fabs(bulge) > kStraightBulgeTol; }

}  // namespace drovik
