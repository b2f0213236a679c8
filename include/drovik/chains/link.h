#pragma once
// Linking lines and arcs into a chain, one candidate at a time.
//
// A chain has two free ends, the head and the tail, which the caller keeps.
// A candidate touches an end when one of its two points lies closer than
// 0.001 to it: planar distance (Z ignored) when b2D is true, spatial
// otherwise. The tests run in this order and the first that holds wins; the
// end that was touched moves to the candidate's other point. Link codes
// (nLinkType):
//   0  the candidate is shorter than 0.001 (answer true, nothing added), or
//      touches neither end (answer false), or is not a line or an arc
//      (answer false)
//   1  its first point touches the tail: appended, tail := second point
//   2  its second point touches the tail: appended, tail := first point
//   3  its first point touches the head: prepended, head := second point
//   4  its second point touches the head: prepended, head := first point
//   5  (point-array form) the point array is empty: answer false
// A candidate touching both ends (closing a loop) goes to the tail. The first
// and second points of an entity are its start and end point as
// GetLineArcEndpt reports them. Head and tail are written only on success.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"
#include "drovik/geometry/vertex.h"
#include "drovik/host/database.h"

// True for a line (kind-of test) with its start and end point. Otherwise
// false: the arc record is filled by GetArcPara and ptS, ptE are copied from
// its ptStart and ptEnd; for an entity that is neither a line nor an arc the
// record keeps what it held and ptS, ptE are copied from it all the same.
DROVIK_API bool GetLineArcEndpt(AcDbObjectId id, AcGePoint3d& ptS, AcGePoint3d& ptE, stArcPara& arc);

// Id-array chain: the id is appended (codes 1, 2) or inserted at index 0
// (codes 3, 4).
DROVIK_API bool LinkEnt(AcDbObjectId id, AcArray<AcDbObjectId>& arrIds, AcGePoint3d& ptHead, AcGePoint3d& ptTail,
                        int& nLinkType, bool b2D);

// Vertex-array chain: each vertex holds the start point of one segment and
// its bulge; the tail is not in the array (the whole polyline is the array
// followed by a vertex at the tail). A line gives bulge b = 0, an arc
// b = tan(angle / 4) from its start to its end point. Code 1 appends
// (first point, b), code 2 appends (second point, -b), code 3 inserts
// (second point, -b) at index 0, code 4 inserts (first point, b) at index 0.
DROVIK_API bool LinkEnt(AcDbObjectId id, AcGePoint3d& ptHead, AcGePoint3d& ptTail, int& nLinkType,
                        CPolyLineVertexArray& arrVertexs, bool b2D);

// Point-array chain: the candidate is the straight segment vtxSeg.pt to
// vtxSeg.pt2; head and tail are the first and last point of arrPts. The new
// free end is appended (codes 1, 2) or inserted at index 0 (codes 3, 4).
DROVIK_API bool LinkEnt(CPolyLineVertex vtxSeg, AcArray<AcGePoint3d>& arrPts, int& nLinkType, bool b2D);
