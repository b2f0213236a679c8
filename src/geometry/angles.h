#pragma once
// Internal angle routines used across the library (not exported).
#include "drovik/host/geometry.h"

// Direction of ptTo - ptFrom from +X, counter-clockwise, in [0, 2*pi).
// Equal points give 0.
double GetDirectAngle(AcGePoint3d ptFrom, AcGePoint3d ptTo);

// Unsigned angle at P between P->Q and P->R, in [0, pi].
double CornerAngle(AcGePoint3d P, AcGePoint3d Q, AcGePoint3d R);

// Counter-clockwise angle at P from P->Q to P->R, in [0, 2*pi). Used by the
// chain offset for corner bisectors and by the measuring walks for the sweep
// left on an arc.
inline double AngleAtVertex(AcGePoint3d P, AcGePoint3d Q, AcGePoint3d R) {
    return (Q - P).angleTo(R - P, AcGeVector3d::kZAxis);
}

namespace drovik {

// Cosine and sine of a direction angle, so hot paths can turn and move
// without calling trigonometric functions again.
struct PlaneDirection {
    double cosine = 1.0;
    double sine = 0.0;

    // The direction turned counter-clockwise by the angle whose cosine and
    // sine are given.
    PlaneDirection Turned(double turnCosine, double turnSine) const {
        return {cosine * turnCosine - sine * turnSine, sine * turnCosine + cosine * turnSine};
    }
    PlaneDirection Reversed() const { return {-cosine, -sine}; }
    PlaneDirection LeftNormal() const { return {-sine, cosine}; }   // turned by +pi/2
    PlaneDirection RightNormal() const { return {sine, -cosine}; }  // turned by -pi/2
};

// The direction GetDirectAngle(ptFrom, ptTo) stands for.
PlaneDirection DirectionOf(const AcGePoint3d& ptFrom, const AcGePoint3d& ptTo);
PlaneDirection DirectionAt(double angle);

// GetPolarPoint with a direction already worked out: Z of ptBase.
inline AcGePoint3d MoveAlong(const AcGePoint3d& ptBase, PlaneDirection dir, double dist) {
    return AcGePoint3d(ptBase.x + dist * dir.cosine, ptBase.y + dist * dir.sine, ptBase.z);
}

}  // namespace drovik
