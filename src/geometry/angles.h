#pragma once
// Internal angle routines used across the library (not exported).
#include "drovik/host/geometry.h"

// Direction of ptTo - ptFrom from +X, counter-clockwise, in [0, 2*pi).
// Equal points give 0.
double GetDirectAngle(AcGePoint3d ptFrom, AcGePoint3d ptTo);

// Unsigned angle at P between P->Q and P->R, in [0, pi].
double CornerAngle(AcGePoint3d P, AcGePoint3d Q, AcGePoint3d R);
