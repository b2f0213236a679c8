#pragma once
// The parallel copy of an open vertex chain of lines and bulge arcs.
#include "drovik/frame/export.h"
#include "drovik/geometry/vertex.h"

// Offsets the open chain arrSrc by dDist to the left (bLeft) or right of its
// direction of travel and writes the offset chain to arrDst.
//
// - A segment is an arc when |bulge| > 0.0001, else straight; its output
//   vertex keeps the source bulge (a concentric offset keeps the included
//   angle). Segments shorter than 0.001 in XY are dropped.
// - Consecutive straight segments meet on the corner's bisector, however
//   sharp the corner; a straight segment that reverses onto itself gets the
//   plain perpendicular offset of the new direction. Next to an arc no
//   intersection is computed: the neighbour's own offset start ends the
//   previous output segment.
// - The last output vertex has bulge 0; output pt2 stays at the origin.
//   The chain is open even when its last point equals its first.
// - arrSrc and arrDst may be the same array: the chain is then replaced by
//   its offset (or emptied on failure).
// - When the chain ends in dropped segments after an arc, the closing
//   vertex takes the side of that arc (its own start bulge), so the last
//   arc is never split across both sides of its circle.
//
// Answers true with arrDst filled; false when arrSrc has fewer than two
// vertices or dDist is not a finite number (arrDst untouched), and false
// with arrDst emptied when an arc offset towards its centre has a radius of
// dDist or less, or when every segment is shorter than 0.001 (nothing to
// offset).
DROVIK_API bool OffsetVertexs(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc,
                              CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, double dDist, bool bLeft);
