#pragma once
// Basic plane operations: polar points and turn direction.
#include "drovik/frame/export.h"
#include "drovik/host/geometry.h"

// The point dDist from ptBase in direction dAngle (radians); Z of ptBase.
// A negative dDist goes the opposite way.
DROVIK_API AcGePoint3d GetPolarPoint(const AcGePoint3d& ptBase, double dAngle, double dDist);

// ptBase moved dDist along vDir (normalised first; its Z component is kept).
DROVIK_API AcGePoint3d GetPolarPoint(const AcGePoint3d& ptBase, AcGeVector3d vDir, double dDist);

// Turn of the path ptA -> ptB -> ptC: -1 when it turns left
// (counter-clockwise), 1 when it turns right, 0 when exactly straight or
// when points coincide. Note the sign: -1 means counter-clockwise.
DROVIK_API int RotateDirect(AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d ptC);
