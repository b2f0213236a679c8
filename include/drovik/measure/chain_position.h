#pragma once
// Where a point lies on a vertex chain, a point moved along an arc, and the
// elevation along a sloping line. Located points carry the direction of
// travel in their `bulge` member (see geometry/conventions.h).
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"
#include "drovik/geometry/vertex.h"

// Finds curVertex.pt on the chain, testing segment by segment from vertex 0.
// A point within 0.001 (in XY) of a vertex is that vertex: nIndex = the
// vertex, nNextIndex = -1, curVertex.bulge unchanged. A point inside
// segment i (PtOnLine / PtOnArc tolerances) gives nIndex = i,
// nNextIndex = i + 1 and the direction of travel there in curVertex.bulge.
// Answers false, writing nothing, when the point is not on the chain
// (always so for fewer than two vertices).
DROVIK_API bool GetPointIndex(CPolyLineVertex& curVertex, const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                              int& nIndex, int& nNextIndex);

// ptFrom (on the circle of arc) moved by the arc length dLen: towards
// arc.ptStart (clockwise) when ptRef lies within 0.001 of arc.ptStart, else
// towards arc.ptEnd. Not clamped to the arc; a negative dLen moves the other
// way. An arc of radius 0 answers its centre.
DROVIK_API AcGePoint3d GetArcPointByLen(const AcGePoint3d& ptFrom, const AcGePoint3d& ptRef, const stArcPara& arc,
                                        double dLen);

// Elevation at the plan position of pt on the sloping line ptA-ptB:
// ptA.z + slope * (plan distance ptA to pt). The distance has no sign, so a
// point behind ptA mirrors one ahead of it; beyond ptB it is extrapolated.
// Answers false (dElev untouched) when pt is not on the line in plan (host
// parallel test) or when ptA and ptB are closer than 0.001 in plan (no
// slope). pt at exactly ptA's plan position answers ptA.z.
DROVIK_API bool GetPointElev(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB, double& dElev);
