#pragma once
// Divider-style points along a vertex chain: each point lies further along
// the chain at straight-line (chord) distance dDist from the one before.
// Located points carry the direction of travel in `bulge` (see
// geometry/conventions.h). The chain is open and walked towards its last
// vertex; a segment's arc sense is counter-clockwise when its start bulge is
// greater than 0, clockwise otherwise. A repeated vertex (a segment of no
// length, with or without a bulge) holds at most a point on itself.
#include "drovik/frame/export.h"
#include "drovik/geometry/vertex.h"

// Walks the chain from curVertex (which must lie on it, see GetPointIndex)
// and fills resultArr with the start point followed by every point found.
// curVertex is the cursor and is left at the last point. Inside a segment a
// point is placed only while more than dDist is left, so the last vertex is
// never produced; across vertices the next point is where the circle of
// radius dDist about the cursor first meets a following segment.
// Answers the size of resultArr; 0 with resultArr emptied when dDist is not
// a finite number greater than 0 (curVertex untouched), when the start is
// not on the chain or when it is the last vertex.
DROVIK_API int GetLocatedPoint(CPolyLineVertex& curVertex, double dDist,
                               const CArray<CPolyLineVertex, CPolyLineVertex&>& vertexArr,
                               CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr);

// Steps the cursor curVertex (on the segment segStart-segEnd) forward by
// chords of dDist and appends each point while more than dDist (on an arc:
// more than the chord's sweep) is left before segEnd. On a straight segment
// the cursor takes the segment's direction even when no point follows. On
// an arc nothing happens when dDist exceeds the diameter less 0.001, or when
// the cursor lies past the arc's end (a point accepted within tolerance
// there leaves nothing to walk). Nothing happens for a dDist that is not a
// finite number greater than 0.
DROVIK_API void GetInnerLocPt(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart,
                              CPolyLineVertex segEnd, CArray<CPolyLineVertex, CPolyLineVertex&>& resultArr);

// The first point of the segment segStart-segEnd at distance dDist from
// curVertex.pt: on a straight segment the meeting point nearer segStart, on
// an arc the one reached first from segStart. Answers true with nextVertex
// set (pt and direction; pt2 untouched). On a straight segment
// nextVertex.bulge receives the segment's direction whatever the answer; on
// an arc a false answer writes nothing. A dDist that is not a finite number
// greater than 0 answers false and writes nothing.
DROVIK_API bool GetNextLocPoint(CPolyLineVertex& curVertex, double dDist, CPolyLineVertex segStart,
                                CPolyLineVertex segEnd, CPolyLineVertex& nextVertex);
