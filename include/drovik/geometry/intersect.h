#pragma once
// Line, arc and circle intersections, and tangent points.
//
// The int results count the points delivered (first in ptInt1, second in
// ptInt2); -1 (circle and arc pairs) means the centres are closer than
// 0.001 and nothing was written. Output points beyond the count may hold
// rejected candidates. bOnSeg restricts a line to its segment (and, for
// GetLineArcIpt, the circle to its arc); bOnArc restricts both circles to
// their arcs.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"

// Lines ptA1-ptA2 and ptB1-ptB2 (segments when bOnSeg) meet in exactly one
// point, written to ptInt. Parallel, coincident, skew or (for segments)
// disjoint input answers false.
DROVIK_API bool GetIntersPoint(AcGePoint3d ptA1, AcGePoint3d ptA2, AcGePoint3d ptB1, AcGePoint3d ptB2,
                               AcGePoint3d& ptInt, bool bOnSeg);

// A point dLen along the counter-clockwise tangent at pt of the circle about
// ptCenter (clockwise for a negative dLen; 100 when |dLen| <= 0.001).
DROVIK_API AcGePoint3d GetTanLinePt(AcGePoint3d ptCenter, AcGePoint3d pt, double dLen);

// Circle-circle: -1, 0, 1 (touch) or 2 (ptInt1 left of the line from the
// first centre to the second, ptInt2 right).
DROVIK_API int GetCCIpt(const AcGePoint3d& ptC1, double dR1, const AcGePoint3d& ptC2, double dR2,
                        AcGePoint3d& ptInt1, AcGePoint3d& ptInt2);

// Arc-arc: as GetCCIpt, then (bOnArc) only points on both arcs.
DROVIK_API int GetArcArcIpt(const stArcPara& arc1, const stArcPara& arc2, AcGePoint3d& ptInt1,
                            AcGePoint3d& ptInt2, bool bOnArc);

// Circle and unbounded line ptA-ptB: 0, 1 (exact touch) or 2 (ptInt1 on the
// side of ptA). ptB is only read.
DROVIK_API int GetCLineIpt(const AcGePoint3d& ptCenter, double dRadius, const AcGePoint3d& ptA, AcGePoint3d& ptB,
                           AcGePoint3d& ptInt1, AcGePoint3d& ptInt2);

// Line and arc: 0, 1 or 2. The record overload reads only centre, radius,
// start and end angle.
DROVIK_API int GetLineArcIpt(AcGePoint3d ptA, AcGePoint3d ptB, const stArcPara& arc, AcGePoint3d& ptInt1,
                             AcGePoint3d& ptInt2, bool bOnSeg);
DROVIK_API int GetLineArcIpt(AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d ptCenter, double dRadius,
                             double dStartAngle, double dEndAngle, AcGePoint3d& ptInt1, AcGePoint3d& ptInt2,
                             bool bOnSeg);
