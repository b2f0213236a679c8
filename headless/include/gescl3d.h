#pragma once
// Headless host: scale factors along the three axes (of a block reference).
#include "gegbl.h"

class AcGeMatrix3d;

class AcGeScale3d {
public:
    double sx = 1.0;
    double sy = 1.0;
    double sz = 1.0;

    static const AcGeScale3d kIdentity;

    AcGeScale3d() = default;
    explicit AcGeScale3d(double factor) : sx(factor), sy(factor), sz(factor) {}
    AcGeScale3d(double xFactor, double yFactor, double zFactor) : sx(xFactor), sy(yFactor), sz(zFactor) {}

    AcGeScale3d operator*(const AcGeScale3d& s) const { return {sx * s.sx, sy * s.sy, sz * s.sz}; }
    AcGeScale3d operator*(double f) const { return {sx * f, sy * f, sz * f}; }
    double operator[](unsigned i) const { return i == 0 ? sx : (i == 1 ? sy : sz); }
    double& operator[](unsigned i) { return i == 0 ? sx : (i == 1 ? sy : sz); }
    bool operator==(const AcGeScale3d& s) const { return isEqualTo(s); }
    bool operator!=(const AcGeScale3d& s) const { return !isEqualTo(s); }
    AcGeScale3d& set(double xFactor, double yFactor, double zFactor) {
        sx = xFactor;
        sy = yFactor;
        sz = zFactor;
        return *this;
    }
    // Each factor within the tolerance's equal-point distance of the other's.
    bool isEqualTo(const AcGeScale3d& s, const AcGeTol& tol = AcGeContext::gTol) const;
    // The scaling matrix about the origin.
    void getMatrix(AcGeMatrix3d& m) const;
    bool isProportional(const AcGeTol& tol = AcGeContext::gTol) const;
};
