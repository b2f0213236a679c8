#pragma once
// Parallel offsets of chains of lines and bulge arcs, cleaned up: the raw
// offset is split where it crosses itself, every piece that comes closer to
// the input than the distance is removed, and what remains is joined into
// the longest chains possible. Unlike OffsetVertexs (one output vertex per
// input segment, refused when an arc collapses), a collapsing arc, a loop too
// narrow for the distance or a zig-zag folding over itself simply loses the
// parts that do not fit.
//
// Chain sets. Several chains travel in one vertex array, one after another:
// chain i has arrCounts[i] vertices and is closed when arrClosed[i] is not 0.
// A closed chain of n vertices has n segments, the last one (shaped by the
// last vertex's bulge) running back to the first vertex; a last vertex equal
// to the first only adds a segment of length 0, which is dropped. An open
// chain of n vertices has n - 1 segments (the last bulge belongs to none).
//
// Sign and sides. A positive dDist offsets to the left of the direction of
// travel, a negative one to the right. A counter-clockwise closed chain thus
// shrinks for dDist > 0 (and may split into several loops or vanish) and
// grows for dDist < 0; a clockwise one grows for dDist > 0. Chains given
// together are offset together: give an outline counter-clockwise and its
// holes clockwise (or all the other way round), so that one sign moves all
// of them into (or out of) the material between; pieces that meet are
// merged and every piece is checked against all chains. Offset loops keep
// the sense of travel of the chains they come from.
//
// Joins (nJoin) at convex corners, the corners that open a gap on the
// offset side: joinRound, an arc of radius |dDist| about the input vertex;
// joinMiter, the two offset segments extended along their tangents until
// they meet, or, when the meeting point would lie farther than
// dMiterLimit * |dDist| from the vertex, until they reach the straight cut
// square to the corner's bisector at that distance (dMiterLimit below 1
// counts as 1; 2 cuts turns sharper than 120 degrees); joinBevel, the same
// straight cut at |dDist| from the vertex, touching the round join at its
// middle (so a bevel never cuts closer to the corner than the distance).
// Concave corners are cut where the two offset segments cross. Tangent
// joints need no join. Where a mitre or bevel of a closed chain would reach
// round the chain to its far side (an offset larger than the chain is
// wide), what lies there is dropped, as the round join would leave nothing.
//
// What holds for the result, with t = 0.001 (the common tolerance), or
// |dDist| / 10 when that is smaller:
// - no point of any result chain lies closer than |dDist| - t to any input
//   segment;
// - joinRound: every point lies within |dDist| + t of the input as well, so
//   every point is at the distance to the tolerance;
// - joinMiter and joinBevel: the same except on the joins of convex
//   corners and within them (the area a join adds beyond the round join is
//   inside the outline), which reach farther from the corner's vertex: a
//   mitre's tip up to dMiterLimit * |dDist|, the ends of a square cut up to
//   sqrt(1 + dMiterLimit^2) * |dDist| (a bevel: sqrt(2) * |dDist|), both at
//   a full reversal;
// - result chains do not cross themselves or each other (they may touch at
//   a point where a loop pinches off);
// - open chains: the offset of each open chain is open (besides any loop it
//   closes on itself), its ends at the offsets of the chain's end points
//   unless those lie closer than |dDist| to another part of the input, in
//   which case they are cut back;
// - open pieces no longer than t (10 t for the offsets of closed chains,
//   whose pieces are loops) are slivers of rounding and are dropped;
// - segments with |bulge| of 0.0001 or less are straight, as in
//   OffsetVertexs; arcs keep their centre, so output arcs are concentric
//   with the input arcs they come from.
// Closed chains are expected not to cross themselves or each other; open
// chains may. Input vertices closer than 0.001 in XY are taken as one. Every
// output vertex has the Z of the first input vertex and pt2 at the origin.
//
// Results: arrDst, arrDstCounts and arrDstClosed are emptied and receive
// the result chains as a chain set (open chains end in a vertex of bulge 0).
// Answers true with the result, which may be empty (everything collapsed);
// false, with the outputs emptied, when the counts do not add up to the
// vertex array's size or a count is negative, when arrSrcClosed is not as
// long as arrSrcCounts, when nJoin is not a join kind, when dDist,
// dMiterLimit (for joinMiter), a coordinate or a bulge is not a finite
// number, or when no chain has a segment of length 0.001 or more. A dDist of
// 0 answers true with the input copied unchanged. Inputs and outputs may be
// the same arrays. Time O(n log n) for n segments plus the crossings found.
#include "drovik/frame/export.h"
#include "drovik/geometry/vertex.h"
#include "drovik/host/geometry.h"

// Join kinds for ParallelOffset and ParallelOffsetChains.
enum OffsetJoinType : int { joinRound = 0, joinMiter = 1, joinBevel = 2 };

// Offsets several chains together (an outline with holes, a road's kerbs,
// ...) by dDist; see above.
DROVIK_API bool ParallelOffsetChains(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc,
                                     const AcArray<int>& arrSrcCounts, const AcArray<int>& arrSrcClosed,
                                     double dDist, int nJoin, double dMiterLimit,
                                     CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, AcArray<int>& arrDstCounts,
                                     AcArray<int>& arrDstClosed);

// Offsets the one chain arrSrc (closed when bClosed) by dDist; the same as
// ParallelOffsetChains with a single chain.
DROVIK_API bool ParallelOffset(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc, bool bClosed, double dDist,
                               int nJoin, double dMiterLimit, CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst,
                               AcArray<int>& arrDstCounts, AcArray<int>& arrDstClosed);
