#pragma once
// Headless host: 2D point and vector.
#include "gegbl.h"

class AcGeVector2d {
public:
    double x = 0.0;
    double y = 0.0;
    static const AcGeVector2d kXAxis;
    static const AcGeVector2d kYAxis;
    AcGeVector2d() = default;
    AcGeVector2d(double xx, double yy) : x(xx), y(yy) {}
    AcGeVector2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGeVector2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    AcGeVector2d operator*(double s) const { return {x * s, y * s}; }
    double length() const;
    double angle() const;  // direction from +X, in [0, 2*pi)
};

class AcGePoint2d {
public:
    double x = 0.0;
    double y = 0.0;
    static const AcGePoint2d kOrigin;
    AcGePoint2d() = default;
    AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}
    AcGeVector2d operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
    AcGePoint2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGePoint2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }
    bool operator!=(const AcGePoint2d& p) const { return !isEqualTo(p); }
    AcGePoint2d& set(double xx, double yy) { x = xx; y = yy; return *this; }
    double distanceTo(const AcGePoint2d& p) const;
    bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const;
};
