#pragma once
// Shared by the DXF reader and writer.
#include <cmath>

#include "gepnt3d.h"
#include "gevec3d.h"

namespace host {
namespace dxf {
namespace detail {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;

// The object coordinate system of an extrusion direction (the "arbitrary
// axis" rule): its X and Y axes in world coordinates.
inline void OcsAxes(const AcGeVector3d& n, AcGeVector3d& ax, AcGeVector3d& ay) {
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    const AcGeVector3d nz(n.x / len, n.y / len, n.z / len);
    AcGeVector3d x;
    if (std::fabs(nz.x) < 1.0 / 64 && std::fabs(nz.y) < 1.0 / 64) {
        x = AcGeVector3d(0, 1, 0).crossProduct(nz);
    } else {
        x = AcGeVector3d(0, 0, 1).crossProduct(nz);
    }
    x = x.normal();
    ax = x;
    ay = nz.crossProduct(x).normal();
}

inline bool IsPlusZ(const AcGeVector3d& n) { return n.x == 0.0 && n.y == 0.0 && n.z > 0.0; }

}  // namespace detail
}  // namespace dxf
}  // namespace host
