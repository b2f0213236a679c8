#pragma once
// Points at equal arc-length spacing along a vertex chain: dDist is measured
// along the chain itself, across vertices too. Located points carry the
// direction of travel in `bulge` (see geometry/conventions.h). Straight
// segments measure their XY length, arcs their stArcPara length. A repeated
// vertex (a segment of no length, with or without a bulge) holds at most a
// point on itself.
#include "drovik/frame/export.h"
#include "drovik/geometry/vertex.h"

// Walks the chain from curVertex (which must lie on it, see GetPointIndex;
// the caller's object is not changed) and fills resultArr with the start
// point followed by a point every dDist along the chain. Inside a segment a
// point is placed only while more than dDist is left; a length carried over
// a vertex may put a point exactly on it. The last vertex is never produced.
// Answers the size of resultArr; 0 with resultArr emptied when dDist is not
// a finite number greater than 0, when the start is not on the chain or
// when it is the last vertex.
DROVIK_API int GetEvenPoint(CPolyLineVertex curVertex, double dDist,
                            const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                            CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr);

// Steps the cursor curVertex (on the segment segStart-segEnd) forward by
// dDist along the segment and appends each point while more than dDist is
// left; dRest receives the length left between the last point (or the
// cursor) and segEnd. On a straight segment the cursor takes the segment's
// direction even when no point follows. A cursor lying past an arc's end
// (within tolerance) leaves nothing to walk: dRest = 0. A dDist that is not
// a finite number greater than 0 appends nothing and gives dRest = 0.
DROVIK_API void GetInnerEvenPt(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart,
                               CPolyLineVertex segEnd, CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr,
                               double& dRest);

// Places the point dRemain along the segment from segStart when it falls in
// the segment (dRemain <= its length): answers true with nextVertex's pt and
// direction set and dRemain = 0. Otherwise reduces dRemain by the segment's
// length, leaves nextVertex untouched and answers false.
DROVIK_API bool GetNextEvenPoint(CPolyLineVertex segStart, CPolyLineVertex segEnd, double& dRemain,
                                 CPolyLineVertex& nextVertex);
