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
